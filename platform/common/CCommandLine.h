#pragma once

#include <string>
#include <vector>

// What the user typed to start a command-line program.
class CCommandLine {
public:
    // Every argument in UTF-8, the program's name first. Windows hands main()
    // its arguments in the local code page, which cannot hold every file
    // name, so they are read again from the wide command line there.
    static std::vector<std::string> Arguments(int argc, char* argv[]);
};

#pragma once

#include <string>
#include <vector>

// Runs tovrik-cli (the program named by the environment variable TOVRIK_CLI)
// and collects what it prints.
class CCliProcess {
public:
    struct Result {
        int nStatus = -1;  // exit status; 128 + signal when killed; -1 on time-out
        std::string strOut;
        std::string strErr;
    };

    // The program named by TOVRIK_CLI, or "" when the variable is not set.
    static std::string Program();

    // Runs the program with `args` and the extra environment entries
    // ("NAME=value"). When `interruptOn` is given, sends SIGINT once the
    // program's output contains it.
    static Result Run(const std::vector<std::string>& args,
                      const std::vector<std::string>& env = {}, const std::string& interruptOn = "",
                      int timeoutMs = 15000);
};

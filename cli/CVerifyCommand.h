#pragma once

#include <ostream>
#include <string>
#include <vector>

class CSystemContext;

// tovrik-cli verify FILE...: checks each configuration file and prints what it
// holds and every problem and warning, with line numbers. Exit status: 0 when
// no file has a problem, 1 when one has, 2 when a file cannot be read or is
// not an S-record configuration.
class CVerifyCommand {
public:
    static int Run(CSystemContext& context, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err);
};

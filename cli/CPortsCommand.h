#pragma once

#include <ostream>
#include <string>
#include <vector>

class CSystemContext;

// tovrik-cli ports [--json]: lists the serial ports of the machine, one a
// line, without opening any of them. Exit 0, also when none is found.
class CPortsCommand {
public:
    static int Run(CSystemContext& context, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err);
};

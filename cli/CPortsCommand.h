#pragma once

#include <ostream>
#include <string>
#include <vector>

// tovrik-cli ports [--json]: lists the serial ports of the machine, one a
// line, without opening any of them. Exit 0, also when none is found.
class CPortsCommand {
public:
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
};

#pragma once

#include <string>

// Where the program reads what the machine says of its serial ports: on
// Linux, sysfs, the device folder and the two lists of system consoles.
// Windows keeps all of this in its registry and uses none of them. The
// defaults are the machine's own; tests point them at trees of their own.
struct CSystemPaths {
    std::string strSysRoot = "/sys";
    std::string strDevRoot = "/dev";
    std::string strActiveConsoles = "/sys/class/tty/console/active";
    std::string strConsoles = "/proc/consoles";
};

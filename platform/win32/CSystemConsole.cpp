#include "platform/common/CSystemConsole.h"

// Windows puts no console on a serial port: every port may be used.
std::vector<std::string> CSystemConsole::ActiveNames() const {
    return {};
}

bool CSystemConsole::IsConsole(const std::string& /*path*/) const {
    return false;
}

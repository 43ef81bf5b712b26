#pragma once

#include <string>
#include <system_error>
#include <vector>

class CPortChoice;

// How the programs word a failure for the user: the desktop programs and
// tovrik-cli say the same thing about the same failure.
class CErrorText {
public:
    // "backup.s19 is not an S-record configuration.", "Cannot open backup.s19:
    // No such file or directory."
    static std::string OpenFailed(const std::string& path, std::error_code error);
    // "Cannot save backup.s19: No space left on device."
    static std::string SaveFailed(const std::string& path, std::error_code error);
    // "Cannot open port COM1 (/dev/ttyS0): Permission denied.", then what to
    // check where a hint helps.
    static std::vector<std::string> PortNotOpened(const CPortChoice& port, std::error_code error);
};

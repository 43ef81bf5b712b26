#pragma once

#include "platform/common/CSystemPaths.h"

#include <string>
#include <vector>

// The system console: the terminals the kernel writes its messages to and
// offers a login on. On many machines (virtual machines, servers, boards) it
// is the first serial port, so no serial traffic may ever go there.
//
// On Linux the list is read from the active-console file, or the console list
// where that is missing. Windows has no such console on a serial port. Nothing
// here opens a device.
class CSystemConsole {
public:
    explicit CSystemConsole(CSystemPaths paths = {}) : m_paths(std::move(paths)) {}

    // The terminal names of the active consoles ("ttyS0", "tty0"), as the kernel
    // names them under the device folder.
    std::vector<std::string> ActiveNames() const;
    // Whether the device at `path` is an active console or the console itself.
    // Links are followed, so a link to the console is the console too.
    bool IsConsole(const std::string& path) const;

private:
    CSystemPaths m_paths;
};

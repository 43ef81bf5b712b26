#pragma once

#include <string>
#include <vector>

// The system console: the terminals the kernel writes its messages to and
// offers a login on. On many machines (virtual machines, servers, boards) it
// is the first serial port, so no serial traffic may ever go there.
//
// The list is read from /sys/class/tty/console/active, or /proc/consoles where
// that is missing; tests point both elsewhere. Nothing here opens a device.
class CSystemConsole {
public:
    // Reads the active consoles from these files from now on.
    static void SetSources(const std::string& activeFile, const std::string& consolesFile);
    // Back to the system's own files.
    static void ResetSources();

    // The terminal names of the active consoles ("ttyS0", "tty0"), as the kernel
    // names them under /dev.
    static std::vector<std::string> ActiveNames();
    // Whether the device at `path` is an active console or /dev/console. Links
    // are followed, so a link to the console is the console too.
    static bool IsConsole(const std::string& path);
};

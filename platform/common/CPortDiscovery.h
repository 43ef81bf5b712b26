#pragma once

#include "platform/CSerialPortInfo.h"

#include <optional>
#include <string>
#include <vector>

// The serial ports of the machine. On Linux: every tty in sysfs with a device
// behind it, less the placeholder UARTs the kernel registers for ports that
// are not there, named by the links under /dev/serial/by-id and described by
// their USB strings. On Windows: the ports the serial drivers list in the
// registry (HARDWARE\DEVICEMAP\SERIALCOMM), as \\.\COMn.
//
// Nothing here opens a device: opening can toggle DTR and reset a board, and
// one of the ports may be the system console. On Linux the roots of sysfs and
// /dev can be moved so that tests bring their own trees.
class CPortDiscovery {
public:
    // Linux: looks under these folders (in place of /sys and /dev) from now on.
    static void SetRoots(const std::string& sysRoot, const std::string& devRoot);
    // Back to /sys and /dev.
    static void ResetRoots();

    // The ports found, in the order of their kernel names (ttyS2 before ttyS10).
    static std::vector<CSerialPortInfo> List();
    // The port that `name` names: its device path, its by-id path, its by-id
    // name or its kernel name ("ttyUSB0").
    static std::optional<CSerialPortInfo> Find(const std::string& name);
    // The path a user means by the name of a found port: the by-id link for
    // its by-id name, the device for its kernel name or device path.
    static std::optional<std::string> PathOf(const std::string& name);
    // What is known of the device at `path` (links followed): the found port it
    // leads to, else only the marks of the path itself.
    static CSerialPortInfo Inspect(const std::string& path);
};

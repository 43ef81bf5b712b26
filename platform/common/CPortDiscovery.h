#pragma once

#include "platform/common/CSerialPortInfo.h"
#include "platform/common/CSystemPaths.h"

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
// one of the ports may be the system console. On Linux it looks where `paths`
// say, so that tests bring their own trees.
class CPortDiscovery {
public:
    explicit CPortDiscovery(CSystemPaths paths = {}) : m_paths(std::move(paths)) {}

    // The ports found, in the order of their kernel names (ttyS2 before ttyS10).
    std::vector<CSerialPortInfo> List() const;
    // The port that `name` names: its device path, its by-id path, its by-id
    // name or its kernel name ("ttyUSB0").
    std::optional<CSerialPortInfo> Find(const std::string& name) const;
    // The path a user means by the name of a found port: the by-id link for
    // its by-id name, the device for its kernel name or device path.
    std::optional<std::string> PathOf(const std::string& name) const;
    // What is known of the device at `path` (links followed): the found port it
    // leads to, else only the marks of the path itself.
    CSerialPortInfo Inspect(const std::string& path) const;
    // The path of a port named only by its bare name ("ttyUSB0", "COM5") that
    // is not among the ports found: under the device folder.
    std::string PathOfBareName(const std::string& name) const;

private:
    CSystemPaths m_paths;
};

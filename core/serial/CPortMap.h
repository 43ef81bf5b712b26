#pragma once

#include <string>

// Maps the dialog's 1-based port numbers to devices. The environment variable
// TOVRIK_COM<n> wins (one run only), then a device set from the profile
// section "PORTS", then the system's own name for it (CSerialDevice::DefaultPath:
// /dev/ttyS<n-1> on Linux, \\.\COM<n> on Windows).
class CPortMap {
public:
    static std::string DeviceFor(int port);
    static void SetDevice(int port, const std::string& device);
    static void Reset();
    // "COM1" for 1, and so on.
    static std::string PortName(int port);
};

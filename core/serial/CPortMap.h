#pragma once

#include <map>
#include <string>

// The devices the transfer dialog's numbered ports stand for: COM1 and COM2.
// A device set for a port (from the profile's "PORTS" section, or for one run
// from the environment) wins; otherwise the system's own name for it
// (/dev/ttyS<n-1> on Linux, \\.\COM<n> on Windows).
class CPortMap {
public:
    // The numbered ports the dialog lists and "CPSEL" remembers.
    static constexpr int kComPorts = 2;

    std::string DeviceFor(int port) const;
    // An empty device goes back to the system's own name.
    void SetDevice(int port, const std::string& device);
    // "COM1" for 1, and so on.
    static std::string PortName(int port);

private:
    std::map<int, std::string> m_devices;
};

#include "cli/CTransferOptions.h"

#include "cli/CCliCommand.h"
#include "platform/CPortDiscovery.h"
#include "platform/CSerialDevice.h"
#include "serial/CPortMap.h"
#include "settings/CTransferSettings.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

constexpr int kMaxBaud = 4000000;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

CTransferOptions CTransferOptions::FromProfile() {
    CTransferSettings::LoadPortDevices();
    const CTransferSettings settings = CTransferSettings::Load();
    CTransferOptions options;
    options.m_nPort = settings.PortNumber();
    options.m_strDevice = settings.m_strDevice;
    options.m_nBaudRate = settings.BaudRate();
    return options;
}

bool CTransferOptions::SetPort(const std::string& value, std::string& error) {
    const std::string name = Upper(value);
    if (name == "1" || name == "COM1" || name == "2" || name == "COM2") {
        m_nPort = name.back() - '0';
        m_strDevice.clear();
        m_bPortFromProfile = false;
        return true;
    }
    // A path names a device: /dev/ttyUSB0 on Linux, \\.\COM5 on Windows.
    if (Utf8Path(value).has_parent_path()) {
        m_strDevice = value;
        m_bPortFromProfile = false;
        return true;
    }
    // A name that `tovrik-cli ports` lists: a by-id name stays the stable
    // link, a kernel name ("ttyUSB0") becomes its device.
    if (std::optional<std::string> device = CPortDiscovery::PathOf(value)) {
        m_strDevice = std::move(*device);
        m_bPortFromProfile = false;
        return true;
    }
    error = "unknown port '" + value + "': use 1, 2, COM1, COM2, a device path such as " +
            CSerialDevice::ExamplePath() + ", or a name that 'tovrik-cli ports' lists";
    return false;
}

bool CTransferOptions::SetBaud(const std::string& value, std::string& error) {
    int baud = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), baud);
    if (ec != std::errc() || end != value.data() + value.size() || baud <= 0 || baud > kMaxBaud) {
        error = "invalid baud rate '" + value + "': give bits per second, such as 9600 or 38400";
        return false;
    }
    m_nBaudRate = baud;
    m_bBaudFromProfile = false;
    return true;
}

std::string CTransferOptions::ProfileNote() const {
    const std::string port = !m_strDevice.empty() ? m_strDevice
                                                  : "COM" + std::to_string(m_nPort) + " (" +
                                                        CPortMap::DeviceFor(m_nPort) + ")";
    const std::string baud = std::to_string(m_nBaudRate) + " baud";
    if (m_bPortFromProfile && m_bBaudFromProfile) {
        return "using " + port + " at " + baud +
               ", from the profile; --port and --baud choose others";
    }
    if (m_bPortFromProfile) {
        return "using " + port + ", from the profile; --port chooses another";
    }
    if (m_bBaudFromProfile) {
        return "using " + baud + ", from the profile; --baud chooses another";
    }
    return {};
}

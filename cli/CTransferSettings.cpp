#include "cli/CTransferSettings.h"

#include "app/CProfile.h"
#include "serial/CPortMap.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

constexpr int kBaudListDefault = 9600;  // read as index 3 when the key is absent
constexpr int kMaxBaud = 4000000;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

CTransferSettings CTransferSettings::FromProfile() {
    CTransferSettings settings;
    for (const int port : {1, 2}) {
        const QString device =
            CProfile::GetProfileString("PORTS", QString::fromStdString(CPortMap::PortName(port)));
        if (!device.isEmpty()) {
            CPortMap::SetDevice(port, device.toStdString());
        }
    }
    const int portIndex = CProfile::GetProfileInt("INITALISATION", "CPSEL", 0);
    settings.m_nPort = portIndex == 1 ? 2 : 1;
    int baudIndex = CProfile::GetProfileInt("INITALISATION", "BRSEL", kBaudListDefault);
    if (baudIndex == kBaudListDefault) {
        baudIndex = 3;
    }
    constexpr int nRates = static_cast<int>(std::size(kBaudRates));
    settings.m_nBaudRate = baudIndex >= 0 && baudIndex < nRates ? kBaudRates[baudIndex] : 9600;
    return settings;
}

bool CTransferSettings::SetPort(const std::string& value, std::string& error) {
    const std::string name = Upper(value);
    if (name == "1" || name == "COM1" || name == "2" || name == "COM2") {
        m_nPort = name.back() - '0';
        m_strDevice.clear();
        return true;
    }
    if (value.find('/') != std::string::npos) {
        m_strDevice = value;
        return true;
    }
    error =
        "unknown port '" + value + "': use 1, 2, COM1, COM2 or a device path such as /dev/ttyUSB0";
    return false;
}

bool CTransferSettings::SetBaud(const std::string& value, std::string& error) {
    int baud = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), baud);
    if (ec != std::errc() || end != value.data() + value.size() || baud <= 0 || baud > kMaxBaud) {
        error = "invalid baud rate '" + value + "': give bits per second, such as 9600 or 38400";
        return false;
    }
    m_nBaudRate = baud;
    return true;
}

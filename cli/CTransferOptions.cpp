#include "cli/CTransferOptions.h"

#include "platform/common/CSerialDevice.h"
#include "settings/CSystemContext.h"
#include "settings/CTransferSettings.h"

#include <charconv>

namespace {

constexpr int kMaxBaud = 4000000;

}  // namespace

CTransferOptions CTransferOptions::FromProfile(const CSystemContext& context) {
    const CTransferSettings settings = CTransferSettings::Load(context.Profile(), context.Ports());
    CTransferOptions options;
    options.m_port = settings.m_port;
    options.m_nBaudRate = settings.BaudRate();
    return options;
}

bool CTransferOptions::SetPort(const std::string& value, const CSystemContext& context,
                               std::string& error) {
    if (!CPortChoice::Parse(value, context.Ports(), context.Discovery(), m_port)) {
        error = "no port given: use 1, 2, COM1, COM2, a device path such as " +
                CSerialDevice::ExamplePath() + ", or a name that 'tovrik-cli ports' lists";
        return false;
    }
    m_bPortFromProfile = false;
    return true;
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
    const std::string port = m_port.Describe();
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

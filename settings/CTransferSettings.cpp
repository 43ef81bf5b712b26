#include "settings/CTransferSettings.h"

#include "core/serial/CPortMap.h"
#include "settings/CProfile.h"

namespace {

constexpr const char* kSection = "INITALISATION";
constexpr const char* kPortKey = "CPSEL";
constexpr const char* kDeviceKey = "CPDEVICE";
constexpr const char* kBaudKey = "BRSEL";
constexpr const char* kPortsSection = "PORTS";
// An absent "BRSEL" reads as this rate, which stands for its own list entry.
constexpr int kAbsentBaud = 9600;

int InRange(int nIndex, int nCount, int nDefault) {
    return nIndex >= 0 && nIndex < nCount ? nIndex : nDefault;
}

}  // namespace

CTransferSettings CTransferSettings::Load(const CProfile& profile, const CPortMap& map) {
    CTransferSettings settings;
    const int baud = profile.GetProfileInt(kSection, kBaudKey, kAbsentBaud);
    settings.m_nBaudIndex =
        InRange(baud == kAbsentBaud ? kDefaultBaudIndex : baud, kBaudCount, kDefaultBaudIndex);
    settings.m_nPortIndex = InRange(profile.GetProfileInt(kSection, kPortKey, kDefaultPortIndex),
                                    CPortMap::kComPorts, kDefaultPortIndex);
    const std::string device = profile.GetProfileString(kSection, kDeviceKey);
    settings.m_port = device.empty() ? CPortChoice::Com(settings.m_nPortIndex + 1, map)
                                     : CPortChoice::Device(device);
    return settings;
}

std::error_code CTransferSettings::SavePort(CProfile& profile, const CPortChoice& port) {
    if (!port.IsCom()) {
        return profile.WriteProfileString(kSection, kDeviceKey, port.DevicePath());
    }
    std::error_code error = profile.WriteProfileInt(kSection, kPortKey, port.ComNumber() - 1);
    if (!profile.GetProfileString(kSection, kDeviceKey).empty()) {
        const std::error_code cleared = profile.WriteProfileString(kSection, kDeviceKey, {});
        error = error ? error : cleared;
    }
    return error;
}

std::error_code CTransferSettings::SaveBaudIndex(CProfile& profile, int nIndex) {
    return profile.WriteProfileInt(kSection, kBaudKey, nIndex);
}

void CTransferSettings::LoadPortDevices(const CProfile& profile, CPortMap& map) {
    for (int port = 1; port <= CPortMap::kComPorts; ++port) {
        const std::string device =
            profile.GetProfileString(kPortsSection, CPortMap::PortName(port));
        if (!device.empty()) {
            map.SetDevice(port, device);
        }
    }
}

#include "settings/CTransferSettings.h"

#include "serial/CPortMap.h"
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

CTransferSettings CTransferSettings::Load() {
    CTransferSettings settings;
    const int baud = CProfile::GetProfileInt(kSection, kBaudKey, kAbsentBaud);
    settings.m_nBaudIndex =
        InRange(baud == kAbsentBaud ? kDefaultBaudIndex : baud, kBaudCount, kDefaultBaudIndex);
    settings.m_nPortIndex = InRange(CProfile::GetProfileInt(kSection, kPortKey, kDefaultPortIndex),
                                    kPortCount, kDefaultPortIndex);
    settings.m_strDevice = CProfile::GetProfileString(kSection, kDeviceKey);
    return settings;
}

bool CTransferSettings::SavePortIndex(int nIndex) {
    bool bWritten = CProfile::WriteProfileInt(kSection, kPortKey, nIndex);
    if (!CProfile::GetProfileString(kSection, kDeviceKey).empty()) {
        bWritten = CProfile::WriteProfileString(kSection, kDeviceKey, {}) && bWritten;
    }
    return bWritten;
}

bool CTransferSettings::SavePortDevice(const std::string& strDevice) {
    return CProfile::WriteProfileString(kSection, kDeviceKey, strDevice);
}

bool CTransferSettings::SaveBaudIndex(int nIndex) {
    return CProfile::WriteProfileInt(kSection, kBaudKey, nIndex);
}

void CTransferSettings::LoadPortDevices() {
    for (int port = 1; port <= kPortCount; ++port) {
        const std::string device =
            CProfile::GetProfileString(kPortsSection, CPortMap::PortName(port));
        if (!device.empty()) {
            CPortMap::SetDevice(port, device);
        }
    }
}

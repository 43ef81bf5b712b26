#pragma once

#include "core/serial/CPortChoice.h"

#include <iterator>
#include <string>
#include <system_error>

class CPortMap;
class CProfile;

// The transfer dialog's remembered choices, "CPSEL", "CPDEVICE" and "BRSEL" in
// the profile section "INITALISATION", and the devices that "PORTS" sets for
// COM1 and COM2. The transfer dialog and tovrik-cli both read and write them
// here.
//
// "CPSEL" holds the index of COM1 or COM2. A port chosen among the ports found
// on the machine, or typed, is kept as its device path in "CPDEVICE" and wins
// over "CPSEL" while it is set; choosing COM1 or COM2 again clears it. A
// profile without "CPDEVICE" thus reads as it always did.
class CTransferSettings {
public:
    // The dialog's baud list, index 0 first, as shown.
    static constexpr int kBaudRates[] = {1200, 2400, 4800, 9600, 14400, 19200, 38400};
    static constexpr int kBaudCount = static_cast<int>(std::size(kBaudRates));
    static constexpr int kDefaultPortIndex = 0;  // COM1
    static constexpr int kDefaultBaudIndex = 3;  // 9600

    // The stored choices, COM1 and COM2 on the devices `map` gives them. An
    // absent "BRSEL" reads as 9600, which stands for index 3; a value that
    // names no list entry gives the default.
    static CTransferSettings Load(const CProfile& profile, const CPortMap& map);
    // Each change of a choice is written at once.
    [[nodiscard]] static std::error_code SavePort(CProfile& profile, const CPortChoice& port);
    [[nodiscard]] static std::error_code SaveBaudIndex(CProfile& profile, int nIndex);
    // Hands the devices set in the profile section "PORTS" ("COM1", "COM2") to
    // the port map.
    static void LoadPortDevices(const CProfile& profile, CPortMap& map);

    int BaudRate() const { return kBaudRates[m_nBaudIndex]; }

    CPortChoice m_port;
    int m_nPortIndex = kDefaultPortIndex;  // "CPSEL": 0 COM1, 1 COM2, kept while a device wins
    int m_nBaudIndex = kDefaultBaudIndex;
};

#pragma once

#include <string>

// Port and baud rate of a transfer from the command line: the transfer
// dialog's remembered choices unless --port or --baud say otherwise.
class CTransferSettings {
public:
    // The dialog's baud list, index 0 first.
    static constexpr int kBaudRates[] = {1200, 2400, 4800, 9600, 14400, 19200, 38400};

    // The profile's "INITALISATION" choices ("CPSEL", "BRSEL"); a value outside
    // the lists gives COM1 or 9600. Also hands the devices of "PORTS"/"COM1"
    // and "COM2" to the port map.
    static CTransferSettings FromProfile();

    // "1", "2", "COM1", "COM2" (any case) or a device path. False, with a
    // message, for anything else.
    bool SetPort(const std::string& value, std::string& error);
    // A positive number of bits per second.
    bool SetBaud(const std::string& value, std::string& error);

    int m_nPort = 1;          // 1-based, when m_strDevice is empty
    std::string m_strDevice;  // an explicit device path
    int m_nBaudRate = 9600;
};

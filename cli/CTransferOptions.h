#pragma once

#include <string>

// Port and baud rate of a transfer from the command line: the transfer
// dialog's remembered choices unless --port or --baud say otherwise.
class CTransferOptions {
public:
    // The profile's choices, with the devices of "PORTS" handed to the port map.
    static CTransferOptions FromProfile();

    // "1", "2", "COM1", "COM2" (any case), a device path, or the by-id or
    // kernel name of a port found on the machine. False, with a message, for
    // anything else.
    bool SetPort(const std::string& value, std::string& error);
    // A positive number of bits per second.
    bool SetBaud(const std::string& value, std::string& error);
    // What the transfer takes from the profile, for stderr: "using COM1
    // (/dev/ttyS0) at 9600 baud, from the profile; ..."; empty when --port
    // and --baud gave both.
    std::string ProfileNote() const;

    int m_nPort = 1;          // 1-based, when m_strDevice is empty
    std::string m_strDevice;  // an explicit device path
    int m_nBaudRate = 9600;
    bool m_bPortFromProfile = true;
    bool m_bBaudFromProfile = true;
};

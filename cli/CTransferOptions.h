#pragma once

#include "core/serial/CPortChoice.h"

#include <string>

class CSystemContext;

// Port and baud rate of a transfer from the command line: the transfer
// dialog's remembered choices unless --port or --baud say otherwise.
class CTransferOptions {
public:
    // The profile's choices.
    static CTransferOptions FromProfile(const CSystemContext& context);

    // A port as the dialog reads a typed one (CPortChoice::Parse). False, with
    // a message, for an empty name.
    bool SetPort(const std::string& value, const CSystemContext& context, std::string& error);
    // A positive number of bits per second.
    bool SetBaud(const std::string& value, std::string& error);
    // What the transfer takes from the profile, for stderr: "using COM1
    // (/dev/ttyS0) at 9600 baud, from the profile; ..."; empty when --port
    // and --baud gave both.
    std::string ProfileNote() const;

    CPortChoice m_port;
    int m_nBaudRate = 9600;
    bool m_bPortFromProfile = true;
    bool m_bBaudFromProfile = true;
};

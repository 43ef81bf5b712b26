#pragma once

#include <string>
#include <vector>

// One serial port of the machine, as found without opening it.
struct CSerialPortInfo {
    std::string strDevice;       // "/dev/ttyUSB0"
    std::string strById;         // its stable link "/dev/serial/by-id/usb-...", or ""
    std::string strDescription;  // "FTDI FT232R USB UART (0403:6001, serial A50285BI)"
    bool bPresent = true;        // the device is there
    bool bConsole = false;       // an active system console: never used for a transfer
    bool bAccessible = true;     // this user may read and write it
    std::string strNoAccess;     // why not, and what to do: "Permission denied: is the
                                 // user in the dialout group?"

    // The name a user picks it by: the by-id name where there is one, else the
    // device path.
    std::string Name() const;
    // The last part of strById, "" when there is none.
    std::string ByIdName() const;
    // "missing", "system console", "no access": what stands in the way of a
    // transfer, as short words for a list.
    std::vector<std::string> Marks() const;
    // The marks as " [system console]", or "" when there are none.
    std::string MarksText() const;
};

#pragma once

#include "core/serial/CPortChoice.h"
#include "platform/common/CSerialPortInfo.h"

#include <string>
#include <vector>

class CSystemContext;

// One entry of the transfer dialog's port list.
struct CPortEntry {
    CPortChoice choice;
    std::string strText;   // the whole entry, with what the port is and its marks
    std::string strShort;  // what the closed list shows: "COM1", "ttyUSB0"
    CSerialPortInfo info;  // what was found of the port when the list was made
};

// The entries of the port list, made anew each time it opens: COM1 and COM2
// with the devices they stand for, then the ports found on the machine by their
// by-id names with their descriptions, then the chosen port when it is none of
// those (marked missing when it is gone). "Other…" follows them in the list.
// No port is opened to list it.
class CPortListModel {
public:
    static constexpr const char* kOther = "Other…";

    // The entries; `selected` is set to the chosen port's.
    static std::vector<CPortEntry> Build(const CSystemContext& context, const CPortChoice& chosen,
                                         int& selected);
};

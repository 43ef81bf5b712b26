#include "platform/common/CSerialPortInfo.h"

std::string CSerialPortInfo::Name() const {
    return strById.empty() ? strDevice : ByIdName();
}

std::string CSerialPortInfo::ByIdName() const {
    return strById.substr(strById.find_last_of('/') + 1);
}

std::vector<std::string> CSerialPortInfo::Marks() const {
    std::vector<std::string> marks;
    if (!bPresent) {
        marks.emplace_back("missing");
    }
    if (bConsole) {
        marks.emplace_back("system console");
    }
    if (bPresent && !bAccessible) {
        marks.emplace_back("no access");
    }
    return marks;
}

std::string CSerialPortInfo::MarksText() const {
    std::string text;
    for (const std::string& mark : Marks()) {
        text += (text.empty() ? " [" : ", ") + mark;
    }
    return text.empty() ? text : text + "]";
}

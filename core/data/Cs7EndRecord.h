#pragma once

#include "core/data/CObject.h"

#include <string>

// One S7 end line, cut at fixed positions whatever its count says.
class Cs7EndRecord : public CObject {
public:
    void Parse(const std::string& line);
    std::string GetLine() const;
    void Serialize(CArchive& ar) override;

    std::string m_strType;
    std::string m_strCount;
    std::string m_strAddress;
    std::string m_strChecksum;
    std::string m_strEnd;
};

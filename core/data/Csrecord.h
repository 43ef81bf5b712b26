#pragma once

#include "core/data/CObject.h"

#include <string>

// One S3 data line; the count decides how many data characters follow the address.
class Csrecord : public CObject {
public:
    void Parse(const std::string& line);
    std::string GetLine() const;
    // The same into `line`, reusing its storage.
    void GetLine(std::string& line) const;
    void Serialize(CArchive& ar) override;

    int m_nDataLen = 0;
    std::string m_strType;
    std::string m_strCount;
    std::string m_strAddress;
    std::string m_strData;
    std::string m_strChecksum;
    std::string m_strEnd;
};

#pragma once

#include "core/data/CObject.h"

#include <string>

// One S0 header line: the type and everything after it, line end included.
class Cs0Header : public CObject {
public:
    void Parse(const std::string& line);
    std::string GetLine() const;
    void Serialize(CArchive& ar) override;

    std::string m_strType;
    std::string m_strBody;
};

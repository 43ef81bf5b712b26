#include "core/data/Cs7EndRecord.h"

#include "core/data/CArchive.h"
#include "core/data/TextCut.h"

void Cs7EndRecord::Parse(const std::string& line) {
    m_strType = TextCut::Left(line, 2);
    m_strCount = TextCut::Mid(line, 2, 2);
    m_strAddress = TextCut::Mid(line, 4, 8);
    m_strChecksum = TextCut::Mid(line, 12, 2);
    // The line's real line end: an uploaded line may end in LF alone or in nothing.
    m_strEnd = TextCut::LineEnd(line);
}

std::string Cs7EndRecord::GetLine() const {
    return m_strType + m_strCount + m_strAddress + m_strChecksum + m_strEnd;
}

void Cs7EndRecord::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteString(m_strType);
        ar.WriteString(m_strCount);
        ar.WriteString(m_strAddress);
        ar.WriteString(m_strChecksum);
        ar.WriteString(m_strEnd);
    }
}

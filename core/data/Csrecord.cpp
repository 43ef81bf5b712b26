#include "core/data/Csrecord.h"

#include "core/data/CArchive.h"
#include "core/data/TextCut.h"

#include <cstdlib>

void Csrecord::Parse(const std::string& line) {
    // The line's real line end: an uploaded line may end in LF alone or in nothing.
    m_strEnd = TextCut::LineEnd(line);
    const std::string text = line.substr(0, line.size() - m_strEnd.size());
    // A line too short to hold its address has no data and no checksum. Cut
    // from the whole line, its pieces would take in the line end or repeat its
    // first characters, and every save would write a different, longer file.
    const bool bTruncated = text.size() < 12;
    const std::string& source = bTruncated ? text : line;
    m_strType = TextCut::Left(source, 2);
    m_strCount = TextCut::Mid(source, 2, 2);
    m_strAddress = TextCut::Mid(source, 4, 8);
    // The count is only read to know how many data characters follow; it is
    // never checked against the line.
    const long count = std::strtol(m_strCount.c_str(), nullptr, 16);
    m_nDataLen = static_cast<int>(2 * count - 10);
    if (bTruncated) {
        m_strData.clear();
        m_strChecksum.clear();
        return;
    }
    const int dataStart =
        static_cast<int>(m_strType.size() + m_strCount.size() + m_strAddress.size());
    m_strData = TextCut::Mid(line, dataStart, m_nDataLen);
    m_strChecksum = TextCut::Mid(line, dataStart + m_nDataLen, 2);
}

std::string Csrecord::GetLine() const {
    std::string line;
    GetLine(line);
    return line;
}

void Csrecord::GetLine(std::string& line) const {
    line.clear();
    line.reserve(m_strType.size() + m_strCount.size() + m_strAddress.size() + m_strData.size() +
                 m_strChecksum.size() + m_strEnd.size());
    line += m_strType;
    line += m_strCount;
    line += m_strAddress;
    line += m_strData;
    line += m_strChecksum;
    line += m_strEnd;
}

void Csrecord::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteString(m_strType);
        ar.WriteString(m_strCount);
        ar.WriteString(m_strAddress);
        ar.WriteString(m_strData);
        ar.WriteString(m_strChecksum);
        ar.WriteString(m_strEnd);
    }
}

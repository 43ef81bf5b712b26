#include "core/data/Cs0Header.h"

#include "core/data/CArchive.h"
#include "core/data/TextCut.h"

void Cs0Header::Parse(const std::string& line) {
    m_strType = TextCut::Left(line, 2);
    // The body is one field, so any header line joins back unchanged.
    m_strBody = TextCut::Right(line, static_cast<int>(line.size()) - 2);
}

std::string Cs0Header::GetLine() const {
    return m_strType + m_strBody;
}

void Cs0Header::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteString(m_strType);
        ar.WriteString(m_strBody);
    }
}

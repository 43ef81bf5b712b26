#include "app/CCompareReport.h"

#include "core/data/CConfiguration.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"

#include <functional>

namespace {

constexpr const char* kInMemory = "the configuration in memory";

void Mix(std::size_t& stamp, const std::string& line) {
    // Each line's hash, mixed in order, so that moving a line changes it too.
    stamp ^= std::hash<std::string>{}(line) + 0x9E3779B97F4A7C15ULL + (stamp << 6) + (stamp >> 2);
}

}  // namespace

CCompareReport::CCompareReport(const CQARNCfgDoc& doc, const CConfiguration& other,
                               std::string otherName)
    : m_strFirstName(doc.GetFileName().empty() ? kInMemory : doc.GetFileName()),
      m_strOtherName(std::move(otherName)),
      m_nStamp(Stamp(doc)) {
    const CConfigCompare compare(doc, other);
    m_strVerdict = compare.Verdict();
    m_notes = compare.Notes(m_strFirstName, m_strOtherName);
    m_differences = compare.Differences();
}

std::vector<std::string> CCompareReport::Lines() const {
    std::vector<std::string> lines{"Compared " + m_strFirstName + " with " + m_strOtherName + ":",
                                   m_strVerdict};
    lines.insert(lines.end(), m_notes.begin(), m_notes.end());
    if (!m_differences.empty()) {
        lines.emplace_back();
    }
    for (const CCompareDifference& difference : m_differences) {
        lines.push_back(difference.strText);
    }
    return lines;
}

bool CCompareReport::Describes(const CQARNCfgDoc& doc) const {
    return Stamp(doc) == m_nStamp;
}

std::size_t CCompareReport::Stamp(const CQARNCfgDoc& doc) {
    std::size_t stamp = g_recordList.GetCount();
    std::string line;
    Mix(stamp, doc.m_pHeader->GetLine());
    for (const auto& record : g_recordList) {
        record->GetLine(line);
        Mix(stamp, line);
    }
    Mix(stamp, doc.m_pEndRecord->GetLine());
    return stamp;
}

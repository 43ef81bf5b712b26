#include "app/CConfigStrip.h"

#include "app/CCompareReport.h"
#include "core/data/CConfigCheck.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "core/data/CRecordText.h"

#include <algorithm>

namespace {

using CRange = std::pair<std::uint64_t, std::uint64_t>;

constexpr std::uint64_t kNoRange = ~std::uint64_t{0};
constexpr int kFindingPixels = 3;

std::string RangeOf(std::uint64_t first, std::uint64_t last) {
    std::string text = CRecordText::Hex(first, 8);
    if (first != last) {
        text += '-';
        text += CRecordText::Hex(last, 8);
    }
    return text;
}

std::string Bytes(std::uint64_t n) {
    return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

// The addresses each record of g_recordList holds; {kNoRange, 0} for one that
// is not well-formed or holds no data.
std::vector<CRange> RecordRanges() {
    std::vector<CRange> ranges;
    ranges.reserve(g_recordList.GetCount());
    std::string line;
    for (const auto& record : g_recordList) {
        record->GetLine(line);
        const CRecordText text(line, 4);
        if (text.bWellFormed && text.nDataBytes > 0) {
            ranges.emplace_back(text.nAddress, std::uint64_t{text.nAddress} + text.nDataBytes - 1);
        } else {
            ranges.emplace_back(kNoRange, 0);
        }
    }
    return ranges;
}

}  // namespace

CConfigStrip::CConfigStrip(const CQARNCfgDoc& doc, const CConfigCheck& check,
                           const CCompareReport* report) {
    const std::vector<CRange> recordRanges = RecordRanges();
    std::vector<CRange> ranges;
    std::copy_if(recordRanges.begin(), recordRanges.end(), std::back_inserter(ranges),
                 [](const CRange& range) { return range.first != kNoRange; });
    if (ranges.empty()) {
        return;
    }
    std::sort(ranges.begin(), ranges.end());
    m_nLow = ranges.front().first;
    m_nHigh = std::max_element(ranges.begin(), ranges.end(), [](const CRange& a, const CRange& b) {
                  return a.second < b.second;
              })->second;
    AddDataAndGaps(ranges);
    AddProblems(doc, check, recordRanges);
    if (report != nullptr) {
        AddDifferences(*report);
    }
}

void CConfigStrip::AddDataAndGaps(const std::vector<CRange>& ranges) {
    std::vector<CRange> runs;
    for (const CRange& range : ranges) {
        if (!runs.empty() && range.first <= runs.back().second + 1) {
            runs.back().second = std::max(runs.back().second, range.second);
        } else {
            runs.push_back(range);
        }
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const auto [first, last] = runs[i];
        m_marks.push_back({EStripMark::Data, first, last,
                           RangeOf(first, last) + ": data, " + Bytes(last - first + 1)});
        if (i + 1 < runs.size()) {
            const std::uint64_t gapFirst = last + 1;
            const std::uint64_t gapLast = runs[i + 1].first - 1;
            m_marks.push_back({EStripMark::Gap, gapFirst, gapLast,
                               RangeOf(gapFirst, gapLast) + ": gap, " +
                                   Bytes(gapLast - gapFirst + 1) + " that no record holds"});
        }
    }
}

void CConfigStrip::AddProblems(const CQARNCfgDoc& doc, const CConfigCheck& check,
                               const std::vector<CRange>& recordRanges) {
    const std::vector<int>& dataLines = doc.m_notes.dataLines;
    for (const CConfigFinding& finding : check.Problems()) {
        const auto it = std::find(dataLines.begin(), dataLines.end(), finding.nLine);
        if (finding.nLine == 0 || it == dataLines.end()) {
            continue;
        }
        const auto index = static_cast<std::size_t>(it - dataLines.begin());
        if (index >= recordRanges.size() || recordRanges[index].first == kNoRange) {
            continue;  // a record whose address cannot be read has no place on the strip
        }
        const auto [first, last] = recordRanges[index];
        m_marks.push_back({EStripMark::Problem, first, last,
                           RangeOf(first, last) + ": " + CConfigCheck::Describe(finding)});
    }
}

void CConfigStrip::AddDifferences(const CCompareReport& report) {
    for (const CCompareDifference& difference : report.Differences()) {
        if (difference.eKind == ECompareKind::Header ||
            difference.eKind == ECompareKind::EndAddress) {
            continue;
        }
        m_nLow = std::min(m_nLow, difference.nFirst);
        m_nHigh = std::max(m_nHigh, difference.nLast);
        m_marks.push_back(
            {EStripMark::Differs, difference.nFirst, difference.nLast, difference.strText});
    }
}

std::pair<int, int> CConfigStrip::Span(const CStripMark& mark, int width) const {
    const std::uint64_t count = m_nHigh - m_nLow + 1;
    const auto pixels = static_cast<std::uint64_t>(std::max(width, 1));
    const auto left = static_cast<int>((mark.nFirst - m_nLow) * pixels / count);
    const auto right = static_cast<int>(((mark.nLast - m_nLow + 1) * pixels + count - 1) / count);
    // A problem or a difference of a few bytes among a hundred thousand must
    // still catch the eye: it is drawn wider, within the strip.
    const int minimum = mark.eKind == EStripMark::Problem || mark.eKind == EStripMark::Differs
                            ? std::min(kFindingPixels, std::max(width, 1))
                            : 1;
    if (right - left >= minimum) {
        return {left, right};
    }
    const int start = std::clamp((left + right - minimum) / 2, 0, std::max(width, 1) - minimum);
    return {start, start + minimum};
}

std::string CConfigStrip::TipAt(int x, int width) const {
    for (auto it = m_marks.rbegin(); it != m_marks.rend(); ++it) {
        const auto [left, right] = Span(*it, width);
        if (x >= left && x < right) {
            return it->strTip;
        }
    }
    return {};
}

std::string CConfigStrip::RangeText() const {
    return RangeOf(m_nLow, m_nHigh);
}

const std::vector<CStripLegend>& CConfigStrip::Legend() {
    static const std::vector<CStripLegend> legend{
        {EStripMark::Data, "Data", 0x4A7FC1},
        {EStripMark::Gap, "Gap", 0xE8B730},
        {EStripMark::Problem, "Problem", 0xD0342C},
        {EStripMark::Differs, "Differs", 0x9B3FB5},
    };
    return legend;
}

std::uint32_t CConfigStrip::Colour(EStripMark eKind) {
    return Legend()[static_cast<std::size_t>(eKind)].nColour;
}

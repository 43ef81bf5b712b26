#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class CCompareReport;
class CConfigCheck;
class CQARNCfgDoc;

// What a mark of the strip stands for, in the order the marks are drawn: a
// later kind is drawn over an earlier one.
enum class EStripMark {
    Data,     // addresses the data records hold
    Gap,      // addresses between them that no record holds
    Problem,  // a data record with a problem
    Differs,  // a range the last compare found different
};

struct CStripMark {
    EStripMark eKind;
    std::uint64_t nFirst;  // the first and last address it covers
    std::uint64_t nLast;
    std::string strTip;  // "00000400-0000040F: line 13: checksum 3A, should be 3B"
};

struct CStripLegend {
    EStripMark eKind;
    const char* szLabel;
    std::uint32_t nColour;  // 0xRRGGBB
};

// The configuration in memory as a picture: its address range as a strip,
// with the data present, the gaps, the records with problems and, while the
// last compare still describes the document, the ranges it found different.
// A front end draws the marks in a strip `width` pixels wide, and names the
// topmost one under the pointer.
class CConfigStrip {
public:
    // What a front end shows in place of an empty strip.
    static constexpr const char* kEmptyText = "No addresses to show.";

    // `check`: the check of `doc`. `report`: the last compare, while it still
    // describes the document (CCompareCommands::Report() gives it only then);
    // null for none.
    CConfigStrip(const CQARNCfgDoc& doc, const CConfigCheck& check, const CCompareReport* report);

    // No address to draw: no data record that is well-formed.
    bool IsEmpty() const { return m_marks.empty(); }
    std::uint64_t Low() const { return m_nLow; }
    std::uint64_t High() const { return m_nHigh; }
    // In drawing order.
    const std::vector<CStripMark>& Marks() const { return m_marks; }
    // The pixels [left, right) a mark covers in a strip `width` pixels wide:
    // at least one, and at least three for a problem or a difference, so that
    // a one-byte difference is seen at a glance.
    std::pair<int, int> Span(const CStripMark& mark, int width) const;
    // The tip of the topmost mark at pixel `x`; "" when there is none.
    std::string TipAt(int x, int width) const;
    // "00000000-0001FFFF", the range the strip spans.
    std::string RangeText() const;

    static const std::vector<CStripLegend>& Legend();
    static std::uint32_t Colour(EStripMark eKind);

private:
    void AddDataAndGaps(const std::vector<std::pair<std::uint64_t, std::uint64_t>>& ranges);
    void AddProblems(const CQARNCfgDoc& doc, const CConfigCheck& check,
                     const std::vector<std::pair<std::uint64_t, std::uint64_t>>& recordRanges);
    void AddDifferences(const CCompareReport& report);

    std::uint64_t m_nLow = 0;
    std::uint64_t m_nHigh = 0;
    std::vector<CStripMark> m_marks;
};

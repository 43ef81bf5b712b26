#include "core/data/CConfigCompare.h"

#include "core/data/CConfiguration.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "core/data/CRecordText.h"
#include "core/data/Cs0Header.h"
#include "core/data/Cs7EndRecord.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>
#include <utility>

namespace {

constexpr std::size_t kHeaderAddressBytes = 2;
constexpr std::size_t kAddressBytes = 4;  // S3 and S7
// A range of differing bytes shows both sides' values up to this many bytes.
constexpr std::size_t kValuesShown = 8;

std::string Count(long long n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// What one side's header or end line gives to compare.
struct CLineData {
    enum EState { Missing, Malformed, Read } eState = Missing;
    std::uint64_t nAddress = 0;
    std::string data;
    std::string line;

    CLineData(const std::string& type, std::string text, std::size_t addressBytes)
        : line(std::move(text)) {
        if (!type.empty()) {
            const CRecordText record(line, static_cast<int>(addressBytes), &data);
            nAddress = record.nAddress;
            eState = record.bWellFormed ? Read : Malformed;
        }
    }
    // Lines that cannot be read are the same only as the same text.
    bool Same(const CLineData& other, bool bData) const {
        if (eState != other.eState) {
            return false;
        }
        return eState == Read ? (bData ? data == other.data : nAddress == other.nAddress)
                              : eState == Missing || line == other.line;
    }
    std::string Shown(const std::string& text) const {
        return eState == Missing ? "none" : eState == Malformed ? "not well-formed" : text;
    }
};

// The header's data as the user reads it: trailing blanks and NULs left out,
// bytes that are not printable as '.'. `bExact` keeps every byte, unprintable
// ones as \xNN, for two headers that would read alike.
std::string HeaderText(std::string bytes, bool bExact) {
    if (!bExact) {
        while (!bytes.empty() && (bytes.back() == ' ' || bytes.back() == '\0')) {
            bytes.pop_back();
        }
    }
    std::string text = "\"";
    for (const char c : bytes) {
        const auto value = static_cast<unsigned char>(c);
        if (value >= 32 && value < 127) {
            text += c;
        } else {
            text += bExact ? "\\x" + CRecordText::Hex(value, 2) : ".";
        }
    }
    return text + "\"";
}

}  // namespace

// The bytes of one side, in runs of rising addresses that do not overlap.
struct CConfigCompare::CByteMap {
    struct CRun {
        std::uint64_t nStart;
        std::size_t nOffset;  // in `values`
        std::size_t nLength;
    };
    std::vector<CRun> runs;
    std::string values;

    // Walks the map one address at a time.
    class CCursor {
    public:
        explicit CCursor(const CByteMap& map) : m_map(map) {}
        bool AtEnd() const { return m_nRun == m_map.runs.size(); }
        std::uint64_t Address() const { return m_map.runs[m_nRun].nStart + m_nPos; }
        char Value() const { return m_map.values[m_map.runs[m_nRun].nOffset + m_nPos]; }
        void Next() {
            if (++m_nPos == m_map.runs[m_nRun].nLength) {
                ++m_nRun;
                m_nPos = 0;
            }
        }

    private:
        const CByteMap& m_map;
        std::size_t m_nRun = 0;
        std::size_t m_nPos = 0;
    };
};

// Merges differing addresses into ranges as the walk meets them.
class CConfigCompare::CRangeBuilder {
public:
    explicit CRangeBuilder(CConfigCompare& compare) : m_compare(compare) {}

    void Add(ECompareKind eKind, std::uint64_t address, char first, char second) {
        if (m_nBytes == 0 || eKind != m_eKind || address != m_nLast + 1) {
            Close();
            m_eKind = eKind;
            m_nFirst = address;
        }
        m_nLast = address;
        if (++m_nBytes <= static_cast<long long>(kValuesShown)) {
            AddValue(m_firstValues, first);
            AddValue(m_secondValues, second);
        }
    }

    // Ends the range being built, if any.
    void Close() {
        if (m_nBytes == 0) {
            return;
        }
        std::string text = CRecordText::Hex(m_nFirst, 8);
        if (m_nLast != m_nFirst) {
            text += '-';
            text += CRecordText::Hex(m_nLast, 8);
        }
        text += ": ";
        text += Count(m_nBytes, "byte");
        switch (m_eKind) {
            case ECompareKind::Differs:
                text += m_nBytes == 1 ? " differs" : " differ";
                if (m_nBytes <= static_cast<long long>(kValuesShown)) {
                    text += " (" + m_firstValues + " / " + m_secondValues + ")";
                }
                break;
            case ECompareKind::OnlyFirst:
                text += " only in the first";
                break;
            default:
                text += " only in the second";
                break;
        }
        m_compare.m_differences.push_back({m_eKind, m_nFirst, m_nLast, std::move(text)});
        ++m_compare.m_nRanges;
        m_compare.m_nBytes += m_nBytes;
        m_nBytes = 0;
        m_firstValues.clear();
        m_secondValues.clear();
    }

private:
    static void AddValue(std::string& values, char value) {
        if (!values.empty()) {
            values += ' ';
        }
        values += CRecordText::Hex(static_cast<unsigned char>(value), 2);
    }

    CConfigCompare& m_compare;
    ECompareKind m_eKind = ECompareKind::Differs;
    std::uint64_t m_nFirst = 0;
    std::uint64_t m_nLast = 0;
    long long m_nBytes = 0;
    std::string m_firstValues;
    std::string m_secondValues;
};

CConfigCompare::CSide::CSide(const CQARNCfgDoc& doc)
    : header(*doc.m_pHeader),
      records(g_recordList),
      end(*doc.m_pEndRecord),
      notes(doc.m_notes),
      bVerbatim(true) {}

CConfigCompare::CSide::CSide(const CConfiguration& config)
    : header(config.m_header),
      records(config.m_records),
      end(config.m_endRecord),
      notes(config.m_notes),
      bVerbatim(config.m_bVerbatim) {}

CConfigCompare::CConfigCompare(const CSide& first, const CSide& second)
    : m_firstCheck(first.header, first.records, first.end, first.notes),
      m_secondCheck(second.header, second.records, second.end, second.notes) {
    m_bIdentical = SameLines(first, second);
    CompareHeaders(first, second);
    CompareBytes(MapBytes(first, m_malformed[0]), MapBytes(second, m_malformed[1]));
    CompareEnds(first, second);
}

bool CConfigCompare::SameLines(const CSide& first, const CSide& second) {
    if (!first.bVerbatim || !second.bVerbatim ||
        first.records.GetCount() != second.records.GetCount() ||
        first.header.GetLine() != second.header.GetLine() ||
        first.end.GetLine() != second.end.GetLine()) {
        return false;
    }
    // Records with the same fields join to the same line; on a verbatim side
    // every line joins back as it stood, so other fields mean another line.
    return std::equal(first.records.begin(), first.records.end(), second.records.begin(),
                      [](const auto& a, const auto& b) {
                          return a->m_strType == b->m_strType && a->m_strCount == b->m_strCount &&
                                 a->m_strAddress == b->m_strAddress &&
                                 a->m_strData == b->m_strData &&
                                 a->m_strChecksum == b->m_strChecksum && a->m_strEnd == b->m_strEnd;
                      });
}

CConfigCompare::CByteMap CConfigCompare::MapBytes(const CSide& side, CMalformed& malformed) {
    CByteMap map;
    map.runs.reserve(side.records.GetCount());
    std::string line;
    const bool bLines = side.notes.dataLines.size() == side.records.GetCount();
    int nRecord = 0;
    for (const auto& pRecord : side.records) {
        ++nRecord;
        pRecord->GetLine(line);
        const std::size_t offset = map.values.size();
        const CRecordText record(line, static_cast<int>(kAddressBytes), &map.values);
        const std::uint64_t address = record.nAddress;
        if (!record.bWellFormed) {
            if (malformed.nLines++ == 0) {
                malformed.nFirstRecord = nRecord;
                malformed.nFirstLine =
                    bLines ? side.notes.dataLines[static_cast<std::size_t>(nRecord - 1)] : 0;
            }
            continue;
        }
        if (map.values.size() > offset) {
            map.runs.push_back({address, offset, map.values.size() - offset});
        }
    }
    // Rising addresses; of two records at the same address the later stays later.
    std::stable_sort(
        map.runs.begin(), map.runs.end(),
        [](const CByteMap::CRun& a, const CByteMap::CRun& b) { return a.nStart < b.nStart; });
    const bool bOverlaps = std::adjacent_find(map.runs.begin(), map.runs.end(),
                                              [](const CByteMap::CRun& a, const CByteMap::CRun& b) {
                                                  return b.nStart < a.nStart + a.nLength;
                                              }) != map.runs.end();
    if (!bOverlaps) {
        return map;
    }
    // Records that overlap: every byte with its place in `values`, which is in
    // record order, so that the later record's byte wins.
    struct CByte {
        std::uint64_t nAddress;
        std::size_t nPlace;
    };
    std::vector<CByte> bytes;
    bytes.reserve(map.values.size());
    for (const CByteMap::CRun& run : map.runs) {
        for (std::size_t i = 0; i < run.nLength; ++i) {
            bytes.push_back({run.nStart + i, run.nOffset + i});
        }
    }
    std::sort(bytes.begin(), bytes.end(), [](const CByte& a, const CByte& b) {
        return a.nAddress != b.nAddress ? a.nAddress < b.nAddress : a.nPlace > b.nPlace;
    });
    CByteMap merged;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && bytes[i].nAddress == bytes[i - 1].nAddress) {
            continue;
        }
        CByteMap::CRun* last = merged.runs.empty() ? nullptr : &merged.runs.back();
        if (last != nullptr && last->nStart + last->nLength == bytes[i].nAddress) {
            ++last->nLength;
        } else {
            merged.runs.push_back({bytes[i].nAddress, merged.values.size(), 1});
        }
        merged.values += map.values[bytes[i].nPlace];
    }
    return merged;
}

void CConfigCompare::CompareHeaders(const CSide& first, const CSide& second) {
    const CLineData a(first.header.m_strType, first.header.GetLine(), kHeaderAddressBytes);
    const CLineData b(second.header.m_strType, second.header.GetLine(), kHeaderAddressBytes);
    if (a.Same(b, true)) {
        return;
    }
    const bool bExact = a.eState == CLineData::Read && b.eState == CLineData::Read &&
                        HeaderText(a.data, false) == HeaderText(b.data, false);
    m_differences.push_back({ECompareKind::Header, 0, 0,
                             "header: " + a.Shown(HeaderText(a.data, bExact)) + " / " +
                                 b.Shown(HeaderText(b.data, bExact))});
}

void CConfigCompare::CompareBytes(const CByteMap& first, const CByteMap& second) {
    CRangeBuilder ranges(*this);
    CByteMap::CCursor a(first);
    CByteMap::CCursor b(second);
    while (!a.AtEnd() || !b.AtEnd()) {
        if (b.AtEnd() || (!a.AtEnd() && a.Address() < b.Address())) {
            ranges.Add(ECompareKind::OnlyFirst, a.Address(), a.Value(), 0);
            a.Next();
        } else if (a.AtEnd() || b.Address() < a.Address()) {
            ranges.Add(ECompareKind::OnlySecond, b.Address(), 0, b.Value());
            b.Next();
        } else {
            if (a.Value() != b.Value()) {
                ranges.Add(ECompareKind::Differs, a.Address(), a.Value(), b.Value());
            } else {
                ranges.Close();
            }
            a.Next();
            b.Next();
        }
    }
    ranges.Close();
}

void CConfigCompare::CompareEnds(const CSide& first, const CSide& second) {
    const CLineData a(first.end.m_strType, first.end.GetLine(), kAddressBytes);
    const CLineData b(second.end.m_strType, second.end.GetLine(), kAddressBytes);
    if (a.Same(b, false)) {
        return;
    }
    m_differences.push_back({ECompareKind::EndAddress, 0, 0,
                             "S7 address: " + a.Shown(CRecordText::Hex(a.nAddress, 8)) + " / " +
                                 b.Shown(CRecordText::Hex(b.nAddress, 8))});
}

std::string CConfigCompare::Verdict() const {
    if (m_bIdentical) {
        return "identical files";
    }
    if (IsSame()) {
        return "same configuration";
    }
    std::vector<std::string> parts;
    if (m_nRanges > 0) {
        parts.push_back(Count(m_nRanges, "range"));
        parts.push_back(Count(m_nBytes, "byte"));
    }
    for (const CCompareDifference& difference : m_differences) {
        if (difference.eKind == ECompareKind::Header) {
            parts.emplace_back("the header");
        } else if (difference.eKind == ECompareKind::EndAddress) {
            parts.emplace_back("the S7 address");
        }
    }
    std::string verdict = "different:";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        verdict += i == 0 ? " " : ", ";
        verdict += parts[i];
    }
    return verdict;
}

std::vector<std::string> CConfigCompare::Notes(const std::string& firstName,
                                               const std::string& secondName) const {
    std::vector<std::string> notes;
    const CConfigCheck* checks[] = {&m_firstCheck, &m_secondCheck};
    const std::string* names[] = {&firstName, &secondName};
    for (int side = 0; side < 2; ++side) {
        const CConfigCheck& check = *checks[side];
        if (!check.IsWhole()) {
            std::vector<CConfigFinding> findings = check.Problems();
            findings.insert(findings.end(), check.Warnings().begin(), check.Warnings().end());
            notes.push_back(*names[side] + " is not whole: " + CConfigCheck::ReasonList(findings));
        }
        const CMalformed& malformed = m_malformed[side];
        if (malformed.nLines == 0) {
            continue;
        }
        const std::string where = malformed.nFirstLine != 0
                                      ? "line " + std::to_string(malformed.nFirstLine)
                                      : "data record " + std::to_string(malformed.nFirstRecord);
        notes.push_back(*names[side] + ": " +
                        (malformed.nLines == 1
                             ? where + " is not a well-formed S-record; its bytes are not compared"
                             : std::to_string(malformed.nLines) +
                                   " data lines are not well-formed S-records (the first is " +
                                   where + "); their bytes are not compared"));
    }
    return notes;
}

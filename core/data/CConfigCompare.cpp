#include "data/CConfigCompare.h"

#include "data/CConfiguration.h"
#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "data/Cs0Header.h"
#include "data/Cs7EndRecord.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <utility>

namespace {

constexpr std::size_t kHeaderAddressBytes = 2;
constexpr std::size_t kAddressBytes = 4;  // S3 and S7
// A range of differing bytes shows both sides' values up to this many bytes.
constexpr std::size_t kValuesShown = 8;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::string Hex(unsigned long long value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llX", digits, value);
    return text;
}

std::string Count(long long n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

std::string_view WithoutLineEnd(std::string_view line) {
    if (line.ends_with("\r\n")) {
        line.remove_suffix(2);
    } else if (line.ends_with('\n')) {
        line.remove_suffix(1);
    }
    return line;
}

// The record read as bytes: its address and data, when it is well-formed
// S-record text (the checksum aside). Appends the data to `data`, and leaves
// it as it was for a line that is not well-formed.
bool ReadRecord(std::string_view line, std::size_t addressBytes, std::uint64_t& address,
                std::string& data) {
    const std::string_view text = WithoutLineEnd(line);
    if (text.size() < 4 || text.size() % 2 != 0 || (text[0] != 'S' && text[0] != 's')) {
        return false;
    }
    const std::size_t nBytes = (text.size() - 2) / 2;  // count, address, data, checksum
    const std::size_t start = data.size();
    address = 0;
    for (std::size_t i = 0; i < nBytes; ++i) {
        const int high = HexDigit(text[2 + 2 * i]);
        const int low = HexDigit(text[3 + 2 * i]);
        if ((high | low) < 0) {
            data.resize(start);
            return false;
        }
        const auto byte = static_cast<unsigned char>(high * 16 + low);
        if (i == 0) {
            if (byte != nBytes - 1 || byte < addressBytes + 1) {
                return false;
            }
        } else if (i <= addressBytes) {
            address = (address << 8) | byte;
        } else if (i + 1 < nBytes) {
            data += static_cast<char>(byte);
        }
    }
    return true;
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
            eState = ReadRecord(line, addressBytes, nAddress, data) ? Read : Malformed;
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
            text += bExact ? "\\x" + Hex(value, 2) : ".";
        }
    }
    return text + "\"";
}

}  // namespace

// The bytes of one side, one entry per address, in rising order.
struct CConfigCompare::CByteMap {
    std::vector<std::uint64_t> addresses;
    std::string values;
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
            m_firstValues += (m_firstValues.empty() ? "" : " ") + Hex(Byte(first), 2);
            m_secondValues += (m_secondValues.empty() ? "" : " ") + Hex(Byte(second), 2);
        }
    }

    // Ends the range being built, if any.
    void Close() {
        if (m_nBytes == 0) {
            return;
        }
        std::string text = Hex(m_nFirst, 8) + (m_nLast != m_nFirst ? "-" + Hex(m_nLast, 8) : "") +
                           ": " + Count(m_nBytes, "byte");
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
    static unsigned Byte(char c) { return static_cast<unsigned char>(c); }

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
    std::string a;
    std::string b;
    return std::equal(first.records.begin(), first.records.end(), second.records.begin(),
                      [&](const auto& pFirst, const auto& pSecond) {
                          pFirst->GetLine(a);
                          pSecond->GetLine(b);
                          return a == b;
                      });
}

CConfigCompare::CByteMap CConfigCompare::MapBytes(const CSide& side, CMalformed& malformed) {
    struct CSegment {
        std::uint64_t nStart;
        std::size_t nOffset;
        std::size_t nLength;
    };
    std::vector<CSegment> segments;
    segments.reserve(side.records.GetCount());
    std::string data;
    std::string line;
    const bool bLines = side.notes.dataLines.size() == side.records.GetCount();
    int nRecord = 0;
    for (const auto& pRecord : side.records) {
        ++nRecord;
        pRecord->GetLine(line);
        const std::size_t offset = data.size();
        std::uint64_t address = 0;
        if (!ReadRecord(line, kAddressBytes, address, data)) {
            if (malformed.nLines++ == 0) {
                malformed.nFirstRecord = nRecord;
                malformed.nFirstLine =
                    bLines ? side.notes.dataLines[static_cast<std::size_t>(nRecord - 1)] : 0;
            }
            continue;
        }
        if (data.size() > offset) {
            segments.push_back({address, offset, data.size() - offset});
        }
    }
    // Rising addresses; of records at the same address the later comes later.
    std::stable_sort(segments.begin(), segments.end(),
                     [](const CSegment& a, const CSegment& b) { return a.nStart < b.nStart; });
    const bool bOverlaps = std::adjacent_find(segments.begin(), segments.end(),
                                              [](const CSegment& a, const CSegment& b) {
                                                  return b.nStart < a.nStart + a.nLength;
                                              }) != segments.end();

    CByteMap map;
    map.addresses.reserve(data.size());
    map.values.reserve(data.size());
    if (!bOverlaps) {
        for (const CSegment& segment : segments) {
            for (std::size_t i = 0; i < segment.nLength; ++i) {
                map.addresses.push_back(segment.nStart + i);
            }
            map.values.append(data, segment.nOffset, segment.nLength);
        }
        return map;
    }
    // Records that overlap: every byte with the place of its record in the
    // file, so that the later record's byte wins.
    struct CByte {
        std::uint64_t nAddress;
        std::size_t nPlace;  // in `data`, which is in record order
    };
    std::vector<CByte> bytes;
    bytes.reserve(data.size());
    for (const CSegment& segment : segments) {
        for (std::size_t i = 0; i < segment.nLength; ++i) {
            bytes.push_back({segment.nStart + i, segment.nOffset + i});
        }
    }
    std::sort(bytes.begin(), bytes.end(), [](const CByte& a, const CByte& b) {
        return a.nAddress != b.nAddress ? a.nAddress < b.nAddress : a.nPlace > b.nPlace;
    });
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 0 || bytes[i].nAddress != bytes[i - 1].nAddress) {
            map.addresses.push_back(bytes[i].nAddress);
            map.values += data[bytes[i].nPlace];
        }
    }
    return map;
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
    const std::size_t nFirst = first.addresses.size();
    const std::size_t nSecond = second.addresses.size();
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < nFirst || j < nSecond) {
        if (j == nSecond || (i < nFirst && first.addresses[i] < second.addresses[j])) {
            ranges.Add(ECompareKind::OnlyFirst, first.addresses[i], first.values[i], 0);
            ++i;
        } else if (i == nFirst || second.addresses[j] < first.addresses[i]) {
            ranges.Add(ECompareKind::OnlySecond, second.addresses[j], 0, second.values[j]);
            ++j;
        } else {
            if (first.values[i] != second.values[j]) {
                ranges.Add(ECompareKind::Differs, first.addresses[i], first.values[i],
                           second.values[j]);
            } else {
                ranges.Close();
            }
            ++i;
            ++j;
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
    m_differences.push_back(
        {ECompareKind::EndAddress, 0, 0,
         "S7 address: " + a.Shown(Hex(a.nAddress, 8)) + " / " + b.Shown(Hex(b.nAddress, 8))});
}

std::string CConfigCompare::Verdict() const {
    if (m_bIdentical) {
        return "identical files";
    }
    if (IsSame()) {
        return "same configuration";
    }
    std::string verdict = "different:";
    const char* separator = " ";
    if (m_nRanges > 0) {
        verdict += separator + Count(m_nRanges, "range") + ", " + Count(m_nBytes, "byte");
        separator = ", ";
    }
    for (const CCompareDifference& difference : m_differences) {
        if (difference.eKind == ECompareKind::Header) {
            verdict += separator + std::string("the header");
            separator = ", ";
        } else if (difference.eKind == ECompareKind::EndAddress) {
            verdict += separator + std::string("the S7 address");
        }
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

#include "core/data/CConfigCheck.h"

#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "core/data/Cs0Header.h"
#include "core/data/Cs7EndRecord.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>
#include <string_view>
#include <utility>

namespace {

constexpr int kHeaderAddressBytes = 2;
constexpr int kAddressBytes = 4;  // S3 and S7

constexpr std::array<signed char, 256> MakeHexTable() {
    std::array<signed char, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = -1;
    }
    for (std::size_t i = 0; i < 10; ++i) {
        table['0' + i] = static_cast<signed char>(i);
    }
    for (std::size_t i = 0; i < 6; ++i) {
        table['A' + i] = static_cast<signed char>(10 + i);
        table['a' + i] = static_cast<signed char>(10 + i);
    }
    return table;
}
constexpr std::array<signed char, 256> kHex = MakeHexTable();

int HexDigit(char c) {
    return kHex[static_cast<unsigned char>(c)];
}

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::string_view WithoutLineEnd(std::string_view line) {
    if (line.ends_with("\r\n")) {
        line.remove_suffix(2);
    } else if (line.ends_with('\n')) {
        line.remove_suffix(1);
    }
    return line;
}

}  // namespace

// One record line read as S-record text, in one pass over its characters.
struct CConfigCheck::CRecordText {
    bool bWellFormed = false;  // every rule but the checksum holds
    bool bChecksumOk = false;
    std::uint32_t nAddress = 0;
    int nDataBytes = 0;
    std::string strProblem;  // why it is not well-formed, or the checksum finding

    // `text` without its line end; `addressBytes` after the count.
    CRecordText(std::string_view text, int addressBytes) {
        if (text.size() < 2 || (text[0] != 'S' && text[0] != 's')) {
            strProblem = "does not start with 'S'";
            return;
        }
        unsigned count = 0;
        unsigned sum = 0;
        unsigned last = 0;
        std::size_t nBytes = 0;
        for (std::size_t i = 2; i < text.size(); i += 2) {
            const int high = HexDigit(text[i]);
            const int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : 0;
            if ((high | low) < 0) {
                NotHex(text, high < 0 ? i : i + 1);
                return;
            }
            last = static_cast<unsigned>(high * 16 + low);
            if (nBytes == 0) {
                count = last;
            } else if (nBytes <= static_cast<std::size_t>(addressBytes)) {
                nAddress = (nAddress << 8) | last;
            }
            sum += last;
            ++nBytes;
        }
        const std::size_t digits = text.size() - 2;
        if (digits % 2 != 0) {
            strProblem = "odd number of hex digits (" + std::to_string(digits) + ")";
            return;
        }
        if (digits == 0) {
            strProblem = "no byte count";
            return;
        }
        if (count != nBytes - 1) {
            strProblem = "byte count " + Hex(count, 2) + ", but " + std::to_string(nBytes - 1) +
                         " bytes follow it";
            return;
        }
        if (count < static_cast<unsigned>(addressBytes) + 1) {
            strProblem = "too short for a " + std::to_string(addressBytes) + "-byte address";
            return;
        }
        bWellFormed = true;
        nDataBytes = static_cast<int>(count) - addressBytes - 1;
        const unsigned expected = ~(sum - last) & 0xFF;
        bChecksumOk = last == expected;
        if (!bChecksumOk) {
            strProblem = "checksum " + Hex(last, 2) + ", should be " + Hex(expected, 2);
        }
    }

    void NotHex(std::string_view text, std::size_t i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n') {
            // A record cut to its byte count runs into the line end when the
            // line is shorter than the count says.
            strProblem = "too short for its byte count";
            return;
        }
        strProblem =
            (c > 32 && c < 127 ? "'" + std::string(1, text[i]) + "'" : "byte " + Hex(c, 2)) +
            " at column " + std::to_string(i + 1) + " is not a hex digit";
    }
};

namespace {

// The header's data bytes as text; bytes that are not printable show as '.',
// and trailing blanks and NULs are left out.
std::string HeaderText(std::string_view text) {
    std::string bytes;
    // type, count and a two-byte address come first; the checksum last
    for (std::size_t i = 2 + 2 * (1 + kHeaderAddressBytes); i + 3 < text.size(); i += 2) {
        bytes += static_cast<char>(HexDigit(text[i]) * 16 + HexDigit(text[i + 1]));
    }
    while (!bytes.empty() && (bytes.back() == ' ' || bytes.back() == '\0')) {
        bytes.pop_back();
    }
    for (char& c : bytes) {
        const auto value = static_cast<unsigned char>(c);
        c = value >= 32 && value < 127 ? c : '.';
    }
    return bytes;
}

// The phrase for each kind of finding, in EConfigFinding order: for one, and
// after the count for more (none: the same whatever the count). A kind without
// a phrase is given by its finding's own text.
struct CReason {
    const char* one;
    const char* many;
};
constexpr CReason kReasons[] = {
    {"no S0 line", nullptr},
    {"no S7 line", nullptr},
    {"a second S0 line", " more S0 lines"},
    {"a second S7 line", " more S7 lines"},
    {"the S0 line is not the first", nullptr},
    {"the S7 line is not the last", nullptr},
    {nullptr, nullptr},
    {"1 line is not a well-formed S-record", " lines are not well-formed S-records"},
    {"1 record fails its checksum", " records fail their checksum"},
    {"1 line has characters that are not kept", " lines have characters that are not kept"},
    {"1 line lost bytes that are not hex digits", " lines lost bytes that are not hex digits"},
    {nullptr, nullptr},
    {"1 gap in the addresses", " gaps in the addresses"},
    {"1 overlap in the addresses", " overlaps in the addresses"},
};
static_assert(std::size(kReasons) == static_cast<std::size_t>(EConfigFinding::Overlap) + 1);

// "1 character", "10 characters".
std::string Count(long long n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

}  // namespace

CConfigCheck::CConfigCheck(const CQARNCfgDoc& doc)
    : CConfigCheck(*doc.m_pHeader, g_recordList, *doc.m_pEndRecord, doc.m_notes) {}

CConfigCheck::CConfigCheck(const Cs0Header& header, const CRecordList& records,
                           const Cs7EndRecord& end, const CReadNotes& notes) {
    m_bEmpty = header.m_strType.empty() && records.IsEmpty() && end.m_strType.empty();
    m_info.nLinesLeftOut = notes.nDropped;
    m_info.nFirstLeftOut = notes.nFirstDropped;
    CheckHeader(header, notes);
    CheckRecords(records, notes);
    CheckEnd(end, notes);
    CheckOrder(notes);
    CheckLineNotes(notes);
    if (m_info.nTotalBytes != CONFIG_IMAGE_BYTES) {
        Warning(EConfigFinding::Size, 0,
                std::to_string(m_info.nTotalBytes) + " bytes instead of " +
                    std::to_string(CONFIG_IMAGE_BYTES));
    }
    // Findings for the whole configuration first, then in line order.
    for (auto* findings : {&m_problems, &m_warnings}) {
        std::stable_sort(
            findings->begin(), findings->end(),
            [](const CConfigFinding& a, const CConfigFinding& b) { return a.nLine < b.nLine; });
    }
}

void CConfigCheck::Problem(EConfigFinding eKind, int nLine, std::string text) {
    m_problems.push_back({eKind, nLine, std::move(text)});
}

void CConfigCheck::Warning(EConfigFinding eKind, int nLine, std::string text) {
    m_warnings.push_back({eKind, nLine, std::move(text)});
}

CConfigCheck::CRecordText CConfigCheck::CheckLine(const std::string& line, int addressBytes,
                                                  int nLine) {
    m_info.nTotalBytes += static_cast<long long>(line.size());
    CRecordText record(WithoutLineEnd(line), addressBytes);
    if (!record.bWellFormed) {
        Problem(EConfigFinding::Malformed, nLine, record.strProblem);
    } else if (!record.bChecksumOk) {
        Problem(EConfigFinding::Checksum, nLine, record.strProblem);
    }
    return record;
}

void CConfigCheck::CheckHeader(const Cs0Header& header, const CReadNotes& notes) {
    if (header.m_strType.empty()) {
        Problem(EConfigFinding::NoHeader, 0, "no S0 line");
        return;
    }
    const std::string line = header.GetLine();
    if (CheckLine(line, kHeaderAddressBytes, notes.nHeaderLine).bWellFormed) {
        m_info.strHeader = HeaderText(WithoutLineEnd(line));
    }
}

void CConfigCheck::CheckRecords(const CRecordList& records, const CReadNotes& notes) {
    // Line numbers only when every record was noted as it was stored.
    const bool bLines = notes.dataLines.size() == records.GetCount();
    std::size_t index = 0;
    bool bFirst = true;
    std::uint64_t nextAddress = 0;
    std::string line;  // one buffer for every line: no allocation per record
    for (const auto& pRecord : records) {
        const int nLine = bLines ? notes.dataLines[index] : 0;
        ++index;
        ++m_info.nDataRecords;
        pRecord->GetLine(line);
        const CRecordText record = CheckLine(line, kAddressBytes, nLine);
        if (!record.bWellFormed) {
            continue;
        }
        const std::uint64_t start = record.nAddress;
        const std::uint64_t end = start + static_cast<std::uint64_t>(record.nDataBytes);
        m_info.nDataBytes += record.nDataBytes;
        if (record.nDataBytes > 0) {
            const auto last = static_cast<std::uint32_t>(end - 1);
            m_info.nLowAddress = m_info.bHasAddresses
                                     ? std::min(m_info.nLowAddress, record.nAddress)
                                     : record.nAddress;
            m_info.nHighAddress = m_info.bHasAddresses ? std::max(m_info.nHighAddress, last) : last;
            m_info.bHasAddresses = true;
        }
        if (!bFirst && start != nextAddress) {
            const bool bGap = start > nextAddress;
            Warning(bGap ? EConfigFinding::Gap : EConfigFinding::Overlap, nLine,
                    "address " + Hex(record.nAddress, 8) + " where " +
                        Hex(static_cast<unsigned>(nextAddress & 0xFFFFFFFFu), 8) +
                        (bGap ? " follows on: a gap" : " follows on: an overlap"));
        }
        bFirst = false;
        nextAddress = end;
    }
}

void CConfigCheck::CheckEnd(const Cs7EndRecord& end, const CReadNotes& notes) {
    if (end.m_strType.empty()) {
        Problem(EConfigFinding::NoEnd, 0, "no S7 line");
        return;
    }
    CheckLine(end.GetLine(), kAddressBytes, notes.nEndLine);
}

void CConfigCheck::CheckOrder(const CReadNotes& notes) {
    // Each later S0 or S7 line replaced the one before it.
    auto repeated = [this](EConfigFinding eKind, const char* type, std::vector<int> lines,
                           int nHeld) {
        if (lines.empty()) {
            return;
        }
        lines.push_back(nHeld);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            Problem(eKind, lines[i],
                    std::string("a second ") + type + " line (the first is line " +
                        std::to_string(lines.front()) + ")");
        }
    };
    repeated(EConfigFinding::SecondHeader, "S0", notes.replacedHeaders, notes.nHeaderLine);
    repeated(EConfigFinding::SecondEnd, "S7", notes.replacedEnds, notes.nEndLine);

    const int nFirstHeader =
        notes.replacedHeaders.empty() ? notes.nHeaderLine : notes.replacedHeaders.front();
    if (nFirstHeader != 0 && nFirstHeader != notes.nFirstRecord) {
        Problem(EConfigFinding::HeaderNotFirst, nFirstHeader,
                "the S0 line comes after line " + std::to_string(notes.nFirstRecord));
    }
    if (notes.nEndLine != 0 && notes.nEndLine != notes.nLastRecord) {
        Problem(EConfigFinding::EndNotLast, notes.nEndLine,
                "the S7 line comes before line " + std::to_string(notes.nLastRecord));
    }
}

void CConfigCheck::CheckLineNotes(const CReadNotes& notes) {
    for (const CLineNote& note : notes.lineNotes) {
        switch (note.eKind) {
            case ELineNote::PastCount:
                Problem(EConfigFinding::NotKept, note.nLine,
                        Count(note.nCount, "character") + " past the byte count");
                break;
            case ELineNote::PastChecksum:
                Problem(EConfigFinding::NotKept, note.nLine,
                        Count(note.nCount, "character") + " after the checksum");
                break;
            case ELineNote::Dropped:
                Problem(
                    EConfigFinding::Dropped, note.nLine,
                    (note.nCount == 1 ? std::string("1 byte that is not a hex digit was dropped (")
                                      : std::to_string(note.nCount) +
                                            " bytes that are not hex digits were dropped "
                                            "(the first: ") +
                        "byte " + Hex(static_cast<unsigned>(note.nFirstByte), 2) + " at column " +
                        std::to_string(note.nFirstColumn) + ")");
                break;
            case ELineNote::TextEnd:
                Problem(EConfigFinding::TextEnd, note.nLine,
                        "the file ends at a Ctrl+Z byte; " + Count(note.nCount, "byte") +
                            " after it " + (note.nCount == 1 ? "is" : "are") + " not read");
                break;
        }
    }
}

bool CConfigCheck::IsRecordLine(std::string_view text) {
    if (text.size() < 2) {
        return false;
    }
    switch (text[1]) {
        case '0':
            return CRecordText(text, kHeaderAddressBytes).bWellFormed;
        case '3':
        case '7':
            return CRecordText(text, kAddressBytes).bWellFormed;
        default:
            return false;
    }
}

std::vector<std::string> CConfigCheck::Reasons(const std::vector<CConfigFinding>& findings) {
    std::vector<std::string> reasons;
    for (std::size_t kind = 0; kind < std::size(kReasons); ++kind) {
        const auto eKind = static_cast<EConfigFinding>(kind);
        const auto first =
            std::find_if(findings.begin(), findings.end(),
                         [eKind](const CConfigFinding& f) { return f.eKind == eKind; });
        if (first == findings.end()) {
            continue;
        }
        const auto n = static_cast<std::size_t>(std::count_if(
            first, findings.end(), [eKind](const CConfigFinding& f) { return f.eKind == eKind; }));
        const CReason& reason = kReasons[kind];
        if (reason.one == nullptr) {
            reasons.push_back(first->strText);
        } else if (n == 1 || reason.many == nullptr) {
            reasons.emplace_back(reason.one);
        } else {
            reasons.push_back(std::to_string(n) + reason.many);
        }
    }
    return reasons;
}

std::string CConfigCheck::ReasonList(const std::vector<CConfigFinding>& findings) {
    std::string list;
    for (const std::string& reason : Reasons(findings)) {
        list += (list.empty() ? "" : "; ") + reason;
    }
    return list;
}

std::string CConfigCheck::Describe(const CConfigFinding& finding) {
    if (finding.nLine == 0) {
        return finding.strText;
    }
    return "line " + std::to_string(finding.nLine) + ": " + finding.strText;
}

std::vector<std::string> CConfigCheck::InfoLines() const {
    std::vector<std::string> lines;
    lines.push_back("Header: " +
                    (m_info.strHeader.empty() ? std::string("none") : m_info.strHeader));
    lines.push_back("Data records: " + std::to_string(m_info.nDataRecords));
    lines.push_back("Data bytes: " + std::to_string(m_info.nDataBytes));
    lines.push_back("Addresses: " + (m_info.bHasAddresses ? Hex(m_info.nLowAddress, 8) + " to " +
                                                                Hex(m_info.nHighAddress, 8)
                                                          : std::string("none")));
    lines.push_back("Total: " + std::to_string(m_info.nTotalBytes) + " bytes with line ends");
    if (m_info.nLinesLeftOut > 0) {
        lines.push_back("Lines left out: " + std::to_string(m_info.nLinesLeftOut) +
                        ", not S0, S3 or S7 (the first is line " +
                        std::to_string(m_info.nFirstLeftOut) + ")");
    }
    return lines;
}

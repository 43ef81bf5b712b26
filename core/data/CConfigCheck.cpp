#include "core/data/CConfigCheck.h"

#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "core/data/CRecordText.h"
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

// The header's data bytes as text; bytes that are not printable show as '.',
// and trailing blanks and NULs are left out.
std::string HeaderText(std::string_view text) {
    std::string bytes;
    // type, count and a two-byte address come first; the checksum last
    for (std::size_t i = 2 + 2 * (1 + kHeaderAddressBytes); i + 3 < text.size(); i += 2) {
        bytes += static_cast<char>(CRecordText::HexDigit(text[i]) * 16 +
                                   CRecordText::HexDigit(text[i + 1]));
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

CRecordText CConfigCheck::CheckLine(const std::string& line, int addressBytes, int nLine) {
    m_info.nTotalBytes += static_cast<long long>(line.size());
    CRecordText record(line, addressBytes);
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
        m_info.strHeader = HeaderText(CRecordText::WithoutLineEnd(line));
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
                    "address " + CRecordText::Hex(record.nAddress, 8) + " where " +
                        CRecordText::Hex(static_cast<unsigned>(nextAddress & 0xFFFFFFFFu), 8) +
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
                        "byte " + CRecordText::Hex(static_cast<unsigned>(note.nFirstByte), 2) +
                        " at column " + std::to_string(note.nFirstColumn) + ")");
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
    lines.push_back("Addresses: " + (m_info.bHasAddresses
                                         ? CRecordText::Hex(m_info.nLowAddress, 8) + " to " +
                                               CRecordText::Hex(m_info.nHighAddress, 8)
                                         : std::string("none")));
    lines.push_back("Total: " + std::to_string(m_info.nTotalBytes) + " bytes with line ends");
    if (m_info.nLinesLeftOut > 0) {
        lines.push_back("Lines left out: " + std::to_string(m_info.nLinesLeftOut) +
                        ", not S0, S3 or S7 (the first is line " +
                        std::to_string(m_info.nFirstLeftOut) + ")");
    }
    return lines;
}

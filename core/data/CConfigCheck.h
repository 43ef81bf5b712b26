#pragma once

#include "core/data/CReadNotes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CQARNCfgDoc;
class CRecordList;
class Cs0Header;
class Cs7EndRecord;
struct CRecordText;

// The kinds of finding, in the order their reasons are listed.
enum class EConfigFinding {
    // problems: the configuration is not valid
    NoHeader,        // no S0 line
    NoEnd,           // no S7 line
    SecondHeader,    // an S0 line after the first one
    SecondEnd,       // an S7 line after the first one
    HeaderNotFirst,  // a record before the S0 line
    EndNotLast,      // a record after the S7 line
    TextEnd,         // a Ctrl+Z byte ended the file's text with more after it
    Malformed,       // a record line that is not well-formed S-record text
    Checksum,        // a well-formed record line whose checksum is wrong
    NotKept,         // a record line with characters its record does not hold
    Dropped,         // a received record line that lost bytes on the way
    // warnings: valid, but unusual
    Size,     // the lines do not add up to CONFIG_IMAGE_BYTES
    Gap,      // data records that leave addresses out between them
    Overlap,  // a data record that starts before the one before it ends
};

struct CConfigFinding {
    EConfigFinding eKind;
    int nLine;            // in the file or the device's answer; 0 for the whole configuration
    std::string strText;  // "checksum 3A, should be 3B"
};

// What the configuration holds.
struct CConfigInfo {
    std::string strHeader;  // the S0 data as text, "QARN-4 CFG V2.14 SITE 0117"
    int nDataRecords = 0;
    long long nDataBytes = 0;  // in well-formed data records
    bool bHasAddresses = false;
    std::uint32_t nLowAddress = 0;   // first byte of the lowest record
    std::uint32_t nHighAddress = 0;  // last byte of the highest record
    long long nTotalBytes = 0;       // every line, line ends included
    int nLinesLeftOut = 0;           // read but neither S0, S3 nor S7: not held
    int nFirstLeftOut = 0;           // the first of them
};

// A read-only check of the configuration held in memory: the header, the data
// records and the end record as they would be saved or downloaded, together
// with what the load or the upload noticed on the way. It never changes a
// record.
//
// A problem makes the configuration invalid: a missing, repeated or misplaced
// S0 or S7 line, a record line that is not well-formed S-record text (a first
// character other than 'S' or 's', a character after the type that is not a
// hex digit, an odd number of digits, a byte count that does not match the
// line or leaves no room for the address, a wrong checksum), or a line that
// is not held as it was read or received: characters past its byte count or
// after its checksum, bytes the upload left out of it, text after a Ctrl+Z
// byte. A warning leaves it valid: a total other than CONFIG_IMAGE_BYTES,
// data addresses that do not rise without gaps or overlaps. Whole means
// neither.
class CConfigCheck {
public:
    // The configuration held by the document and g_recordList.
    explicit CConfigCheck(const CQARNCfgDoc& doc);
    CConfigCheck(const Cs0Header& header, const CRecordList& records, const Cs7EndRecord& end,
                 const CReadNotes& notes);

    bool IsEmpty() const { return m_bEmpty; }  // nothing held at all
    bool IsValid() const { return m_problems.empty(); }
    bool IsWhole() const { return m_problems.empty() && m_warnings.empty(); }
    const std::vector<CConfigFinding>& Problems() const { return m_problems; }
    const std::vector<CConfigFinding>& Warnings() const { return m_warnings; }
    const CConfigInfo& Info() const { return m_info; }

    // One short phrase per kind of finding, in kind order:
    // {"no S7 line", "2 records fail their checksum"}.
    static std::vector<std::string> Reasons(const std::vector<CConfigFinding>& findings);
    // The reasons joined: "no S7 line; 2 records fail their checksum".
    static std::string ReasonList(const std::vector<CConfigFinding>& findings);
    // "line 12: checksum 3A, should be 3B", or the text alone for the whole configuration.
    static std::string Describe(const CConfigFinding& finding);
    // Whether `text`, a line without its line end, is a well-formed S0, S3 or
    // S7 record; its checksum is not looked at.
    static bool IsRecordLine(std::string_view text);
    // "Header: ...", "Data records: ...", "Data bytes: ...", "Addresses: ...", "Total: ...",
    // and "Lines left out: ..." when the load or upload dropped any.
    std::vector<std::string> InfoLines() const;

private:
    // Counts the line, reads it as S-record text with `addressBytes` after the
    // count, and reports what is wrong with it.
    CRecordText CheckLine(const std::string& line, int addressBytes, int nLine);
    void CheckHeader(const Cs0Header& header, const CReadNotes& notes);
    void CheckRecords(const CRecordList& records, const CReadNotes& notes);
    void CheckEnd(const Cs7EndRecord& end, const CReadNotes& notes);
    void CheckOrder(const CReadNotes& notes);
    void CheckLineNotes(const CReadNotes& notes);
    void Problem(EConfigFinding eKind, int nLine, std::string text);
    void Warning(EConfigFinding eKind, int nLine, std::string text);

    bool m_bEmpty = false;
    std::vector<CConfigFinding> m_problems;
    std::vector<CConfigFinding> m_warnings;
    CConfigInfo m_info;
};

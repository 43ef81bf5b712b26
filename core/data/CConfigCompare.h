#pragma once

#include "core/data/CConfigCheck.h"

#include <cstdint>
#include <string>
#include <vector>

class CConfiguration;
class CQARNCfgDoc;
class CRecordList;
class Cs0Header;
class Cs7EndRecord;
struct CReadNotes;

// Where two configurations differ.
enum class ECompareKind {
    Header,      // the header's data
    Differs,     // bytes at the same addresses
    OnlyFirst,   // addresses that only the first holds
    OnlySecond,  // addresses that only the second holds
    EndAddress,  // the S7 line's address
};

// One difference: a range of addresses, merged as far as it runs on with the
// same kind, or the header, or the end address.
struct CCompareDifference {
    ECompareKind eKind;
    std::uint64_t nFirst = 0;  // the range's first and last address; 0 for the header and end
    std::uint64_t nLast = 0;
    std::string strText;  // "00007D07: 1 byte differs (5D / 07)"
};

// Two configurations compared as data, not as text: the header's data, the
// byte at every address (from data records of any length, in any order) and
// the S7 line's address. Two files that hold the same data in lines of
// another length are the same configuration.
//
// A data line that is not well-formed has no bytes that can be trusted: it is
// left out and named in the notes. A line whose checksum is wrong is read as
// it stands. Where a configuration holds an address twice, the later record
// counts, as the device would store it. Each side is checked too, and the
// compare goes on whatever the check finds.
class CConfigCompare {
public:
    // One side: the configuration in memory or one held beside it.
    struct CSide {
        // The document's lines are what a save would write.
        CSide(const CQARNCfgDoc& doc);
        CSide(const CConfiguration& config);

        const Cs0Header& header;
        const CRecordList& records;
        const Cs7EndRecord& end;
        const CReadNotes& notes;
        bool bVerbatim;  // its lines, joined, are the bytes it stands for
    };

    CConfigCompare(const CSide& first, const CSide& second);

    // No difference in the data.
    bool IsSame() const { return m_differences.empty(); }
    // The same lines, byte for byte, each side exactly what it stands for.
    bool IsIdentical() const { return m_bIdentical; }
    // The header first, then the address ranges in rising order, then the end.
    const std::vector<CCompareDifference>& Differences() const { return m_differences; }
    int DifferingRanges() const { return m_nRanges; }
    long long DifferingBytes() const { return m_nBytes; }
    // "identical files", "same configuration" or "different: 3 ranges, 97
    // bytes" (and "the header", "the S7 address" when they differ).
    std::string Verdict() const;
    // What else to know, each side called by the name given: "backup.s19 is
    // not whole: no S7 line", "the device: line 12 is not a well-formed
    // S-record; its bytes are not compared".
    std::vector<std::string> Notes(const std::string& firstName = "the first",
                                   const std::string& secondName = "the second") const;
    const CConfigCheck& FirstCheck() const { return m_firstCheck; }
    const CConfigCheck& SecondCheck() const { return m_secondCheck; }

private:
    struct CByteMap;
    struct CMalformed {
        int nLines = 0;
        int nFirstLine = 0;  // in the file or answer; 0 when unknown
        int nFirstRecord = 0;
    };
    class CRangeBuilder;

    static CByteMap MapBytes(const CSide& side, CMalformed& malformed);
    static bool SameLines(const CSide& first, const CSide& second);
    void CompareHeaders(const CSide& first, const CSide& second);
    void CompareBytes(const CByteMap& first, const CByteMap& second);
    void CompareEnds(const CSide& first, const CSide& second);

    CConfigCheck m_firstCheck;
    CConfigCheck m_secondCheck;
    std::vector<CCompareDifference> m_differences;
    int m_nRanges = 0;
    long long m_nBytes = 0;
    bool m_bIdentical = false;
    CMalformed m_malformed[2];
};

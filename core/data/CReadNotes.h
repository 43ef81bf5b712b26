#pragma once

#include <string>
#include <vector>

// What of a line as it was read or received its record does not hold.
enum class ELineNote {
    PastCount,     // an S3 line: characters past those its byte count covers
    PastChecksum,  // an S7 line: characters after its checksum
    Dropped,       // an uploaded line: bytes outside the accepted ones, left out
    TextEnd,       // a file: a Ctrl+Z byte ended the text with more after it
};

struct CLineNote {
    ELineNote eKind;
    int nLine;
    long long nCount;      // characters or bytes not held
    int nFirstByte = 0;    // Dropped: the first byte left out,
    int nFirstColumn = 0;  // and its column in the line as it arrived
};

// The bytes the upload left out of one line after its first accepted one.
struct CDroppedBytes {
    int nCount = 0;
    int nFirstByte = 0;
    int nFirstColumn = 0;
};

// What a load or an upload noticed while it read a configuration line by line,
// kept for the configuration check: where each record stood, which lines it
// dropped, which header or end lines a later one replaced, and what of a line
// its record does not hold. Lines count from 1 in the file or in the device's
// answer; 0 means none.
struct CReadNotes {
    int nLines = 0;                    // lines read
    int nHeaderLine = 0;               // the S0 line held
    int nEndLine = 0;                  // the S7 line held
    int nFirstRecord = 0;              // the first S0, S3 or S7 line
    int nLastRecord = 0;               // the last one
    int nDropped = 0;                  // lines of any other kind
    int nFirstDropped = 0;             // the first of them
    std::string strFirstDropped;       // its text, without the line end
    std::vector<int> replacedHeaders;  // S0 lines that a later one replaced
    std::vector<int> replacedEnds;     // S7 lines that a later one replaced
    std::vector<int> dataLines;        // the line of each record of g_recordList, in order
    std::vector<CLineNote> lineNotes;  // in line order
};

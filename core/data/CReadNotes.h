#pragma once

#include <string>
#include <vector>

// What a load or an upload noticed while it read a configuration line by line,
// kept for the configuration check: where each record stood, which lines it
// dropped, and which header or end lines a later one replaced. Lines count
// from 1 in the file or in the device's answer; 0 means none.
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
};

#pragma once

#include "core/data/CQARNCfgDoc.h"
#include "core/transfer/CTransferTiming.h"

#include <string>
#include <vector>

// Small configurations in the device's own S-record layout, for the transfer
// tests: one S0 line, `nRecords` S3 lines of 16 data bytes and one S7 line,
// each ending in CR LF.
struct CTestConfig {
    static std::string HeaderLine(const std::string& text = "TEST");
    static std::string DataLine(unsigned address, int nDataBytes = 16);
    static std::string DataLine(unsigned address, const std::string& data);
    static std::string EndLine(unsigned address = 0);
    static std::vector<std::string> Lines(int nRecords);
    // The sample configuration's lines: a whole one of 196642 bytes, the only
    // kind that an upload finishes with.
    static std::vector<std::string> WholeLines();
    static std::string Joined(const std::vector<std::string>& lines);

    // Puts the lines into the document and g_recordList as a load does.
    static void Load(CQARNCfgDoc& doc, const std::vector<std::string>& lines);
    // The configuration in memory, header first and end line last.
    static std::string InMemory(const CQARNCfgDoc& doc);
    // The data lines held in g_recordList, in order.
    static std::vector<std::string> RecordLines();

    // Shortened pauses: a whole test transfer takes a fraction of a second. The
    // idle waits stay long enough for a pseudo-terminal on a busy machine.
    static CTransferTiming Timing();
};

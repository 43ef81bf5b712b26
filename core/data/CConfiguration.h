#pragma once

#include "data/CReadNotes.h"
#include "data/CRecordList.h"
#include "data/Cs0Header.h"
#include "data/Cs7EndRecord.h"

#include <string>
#include <system_error>

class CArchive;

// A configuration held as data beside the document: the header, the data
// records in order, the end record, and what reading them noticed. The
// document's own records live in g_recordList; this holds a second
// configuration (a file to compare with, what a device sent) without touching
// the document.
class CConfiguration {
public:
    // Reads `path` as File > Open does and holds what it read. A file that
    // cannot be read, one without a single S0, S3 or S7 line, and running out
    // of memory leave what was held as it was.
    [[nodiscard]] std::error_code Load(const std::string& path);
    // Every line of a loading archive, in place of what was held.
    void Read(CArchive& ar);
    // Holds no record of any kind.
    bool IsEmpty() const;

    Cs0Header m_header;
    CRecordList m_records;
    Cs7EndRecord m_endRecord;
    CReadNotes m_notes;
    // The lines held, as a save writes them, are byte for byte what they were
    // read from. False when a load left out, replaced or moved a line, read a
    // line end other than CR LF or a record that does not join back as it
    // stood, or stopped at a 0x1A byte.
    bool m_bVerbatim = true;
};

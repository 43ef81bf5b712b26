#include "data/CConfiguration.h"

#include "data/CArchive.h"
#include "data/CQARNCfgDoc.h"
#include "platform/ETovrikError.h"

#include <new>
#include <utility>

std::error_code CConfiguration::Load(const std::string& path) {
    try {
        CArchive ar(CArchive::load);
        if (const std::error_code error = ar.Open(path)) {
            return error;
        }
        CConfiguration read;
        read.Read(ar);
        if (read.m_notes.nFirstRecord == 0) {
            return ETovrikError::NotConfiguration;
        }
        *this = std::move(read);
    } catch (const std::bad_alloc&) {
        return ETovrikError::NotEnoughMemory;
    }
    return {};
}

void CConfiguration::Read(CArchive& ar) {
    Cs0Header header;
    Cs7EndRecord endRecord;
    CRecordList records;
    CReadNotes notes;
    long long nRead = 0;    // bytes of the lines read, each with the CR LF it is given
    bool bJoinBack = true;  // every record joins back to the line it was read from
    std::string line;
    std::string joined;
    while (ar.ReadString(line)) {
        line += "\r\n";
        nRead += static_cast<long long>(line.size());
        std::unique_ptr<Csrecord> record;
        switch (CQARNCfgDoc::ParseLine(line, header, endRecord, record, notes)) {
            case ERecordType::Data:
                record->GetLine(joined);
                bJoinBack = bJoinBack && joined == line;
                records.AddTail(std::move(record));
                break;
            case ERecordType::End:
                bJoinBack = bJoinBack && endRecord.GetLine() == line;
                break;
            default:
                break;
        }
    }
    // A save writes the header, the records and the end line, each as it
    // joins back. That is the file only when nothing was left out, replaced
    // or moved, every line ended in CR LF (a lone LF, or none at the end,
    // makes the lines read add up to more than the file), and no 0x1A byte
    // ended the text early.
    m_bVerbatim = bJoinBack && notes.nDropped == 0 && notes.replacedHeaders.empty() &&
                  notes.replacedEnds.empty() &&
                  (notes.nHeaderLine == 0 || notes.nHeaderLine == 1) &&
                  (notes.nEndLine == 0 || notes.nEndLine == notes.nLines) &&
                  ar.GetTextSize() == ar.GetFileSize() && nRead == ar.GetFileSize();
    m_header = std::move(header);
    m_endRecord = std::move(endRecord);
    m_records = std::move(records);
    m_notes = std::move(notes);
}

bool CConfiguration::IsEmpty() const {
    return m_header.m_strType.empty() && m_records.IsEmpty() && m_endRecord.m_strType.empty();
}

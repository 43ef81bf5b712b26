#include "data/CConfiguration.h"

#include "data/CArchive.h"
#include "data/CQARNCfgDoc.h"
#include "platform/ETovrikError.h"

#include <new>
#include <utility>

std::error_code CConfiguration::Load(const std::string& path) {
    try {
        CArchive ar(path, CArchive::load);
        if (!ar.IsOpen()) {
            return ar.GetError();
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
    long long nHeld = 0;  // bytes of the lines held, with the CR LF each is given
    std::string line;
    while (ar.ReadString(line)) {
        line += "\r\n";
        std::unique_ptr<Csrecord> record;
        if (CQARNCfgDoc::ParseLine(line, header, endRecord, record, notes) != ERecordType::Other) {
            nHeld += static_cast<long long>(line.size());
        }
        if (record) {
            records.AddTail(std::move(record));
        }
    }
    // Each line read gets a CR LF, so the lines held add up to the file only
    // when every line ended in CR LF and none was left out; a 0x1A byte ends
    // the text read short of the file.
    m_bVerbatim =
        notes.nDropped == 0 && ar.GetTextSize() == ar.GetFileSize() && nHeld == ar.GetFileSize();
    m_header = std::move(header);
    m_endRecord = std::move(endRecord);
    m_records = std::move(records);
    m_notes = std::move(notes);
}

bool CConfiguration::IsEmpty() const {
    return m_header.m_strType.empty() && m_records.IsEmpty() && m_endRecord.m_strType.empty();
}

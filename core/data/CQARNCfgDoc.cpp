#include "data/CQARNCfgDoc.h"

#include "data/CArchive.h"
#include "data/CRecordList.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

CQARNCfgDoc::CQARNCfgDoc()
    : m_pEndRecord(std::make_unique<Cs7EndRecord>()), m_pHeader(std::make_unique<Cs0Header>()) {}

CQARNCfgDoc::~CQARNCfgDoc() {
    g_recordList.RemoveAll();
}

bool CQARNCfgDoc::OnNewDocument() {
    if (!CDocument::OnNewDocument()) {
        return false;
    }
    // The records stay: a download after File > New still sends them.
    m_nFileSize = 0;
    return true;
}

void CQARNCfgDoc::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        m_pHeader->Serialize(ar);
        for (const auto& record : g_recordList) {
            record->Serialize(ar);
        }
        m_pEndRecord->Serialize(ar);
        return;
    }

    // The file is parsed aside and put in place only once it has been read
    // whole, so that a load that runs out of memory leaves the configuration
    // as it was. The header and end record start as they are: a file without
    // such a line keeps the last one parsed.
    Cs0Header header = *m_pHeader;
    Cs7EndRecord endRecord = *m_pEndRecord;
    CRecordList::Storage records;
    std::string line;
    bool bAnyLine = false;
    while (ar.ReadString(line)) {
        line += "\r\n";
        std::unique_ptr<Csrecord> record;
        ParseLine(line, header, endRecord, record);
        if (record) {
            records.push_back(std::move(record));
        }
        bAnyLine = true;
    }
    std::string caption = std::string(kAppTitle) + "-" + ar.GetFileName();

    // Nothing from here on allocates.
    g_recordList.Restore(std::move(records));
    *m_pHeader = std::move(header);
    *m_pEndRecord = std::move(endRecord);
    if (bAnyLine) {
        m_strLine.swap(line);
    }
    m_nFileSize =
        static_cast<int>(std::min<std::int64_t>(ar.GetFileSize(), std::numeric_limits<int>::max()));
    SetMainWindowCaption(std::move(caption));
}

ERecordType CQARNCfgDoc::StoreLine(const std::string& line) {
    std::unique_ptr<Csrecord> record;
    const ERecordType type = ParseLine(line, *m_pHeader, *m_pEndRecord, record);
    if (record) {
        g_recordList.AddTail(std::move(record));
    }
    return type;
}

ERecordType CQARNCfgDoc::ParseLine(const std::string& line, Cs0Header& header,
                                   Cs7EndRecord& endRecord, std::unique_ptr<Csrecord>& record) {
    const ERecordType type = GetRecordType(line);
    switch (type) {
        case ERecordType::Header:
            header.Parse(line);
            break;
        case ERecordType::Data:
            record = std::make_unique<Csrecord>();
            record->Parse(line);
            break;
        case ERecordType::End:
            endRecord.Parse(line);
            break;
        case ERecordType::Other:
            break;  // S1, S5, S9, blank lines: not part of a configuration
    }
    return type;
}

ERecordType CQARNCfgDoc::GetRecordType(const std::string& line) {
    if (line.size() < 2) {
        return ERecordType::Other;
    }
    // Only the second character counts; the first is not looked at.
    switch (line[1]) {
        case '0':
            return ERecordType::Header;
        case '3':
            return ERecordType::Data;
        case '7':
            return ERecordType::End;
        default:
            return ERecordType::Other;
    }
}

void CQARNCfgDoc::OnFileDownload() {
    if (m_transferLauncher) {
        m_transferLauncher(*this, ETransferMode::Download);
    }
}

void CQARNCfgDoc::OnFileUpload() {
    if (m_transferLauncher) {
        m_transferLauncher(*this, ETransferMode::Upload);
    }
}

void CQARNCfgDoc::SetTransferLauncher(
    std::function<void(CQARNCfgDoc&, ETransferMode mode)> launcher) {
    m_transferLauncher = std::move(launcher);
}

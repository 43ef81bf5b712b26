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

    // The header and end record are not cleared: a file without such a line
    // keeps the last one parsed.
    g_recordList.RemoveAll();
    m_nFileSize =
        static_cast<int>(std::min<std::int64_t>(ar.GetFileSize(), std::numeric_limits<int>::max()));
    SetMainWindowCaption(std::string(kAppTitle) + "-" + ar.GetFileName());
    while (ar.ReadString(m_strLine)) {
        m_strLine += "\r\n";
        StoreLine(m_strLine);
    }
}

ERecordType CQARNCfgDoc::StoreLine(const std::string& line) {
    const ERecordType type = GetRecordType(line);
    switch (type) {
        case ERecordType::Header:
            m_pHeader->Parse(line);
            break;
        case ERecordType::Data: {
            auto record = std::make_unique<Csrecord>();
            record->Parse(line);
            g_recordList.AddTail(std::move(record));
            break;
        }
        case ERecordType::End:
            m_pEndRecord->Parse(line);
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

void CQARNCfgDoc::SetTransferLauncher(std::function<void(CQARNCfgDoc&, ETransferMode mode)> launcher) {
    m_transferLauncher = std::move(launcher);
}

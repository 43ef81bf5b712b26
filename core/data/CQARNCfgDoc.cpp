#include "data/CQARNCfgDoc.h"

#include "data/CArchive.h"
#include "data/CRecordList.h"
#include "platform/ETovrikError.h"

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
    // Nothing may stay behind that a download would send unseen.
    EmptyConfiguration();
    m_nFileSize = 0;
    return true;
}

void CQARNCfgDoc::EmptyConfiguration() {
    *m_pHeader = Cs0Header();
    *m_pEndRecord = Cs7EndRecord();
    g_recordList.RemoveAll();
    m_notes = CReadNotes();
}

std::error_code CQARNCfgDoc::CheckContents(CArchive& ar) {
    std::string line;
    while (ar.ReadString(line)) {
        if (GetRecordType(line) != ERecordType::Other) {
            return {};
        }
    }
    return ETovrikError::NotConfiguration;
}

std::string CQARNCfgDoc::GetFileName() const {
    const std::string& path = GetPathName();
    return path.substr(path.rfind('/') + 1);
}

std::string CQARNCfgDoc::GetCaption() const {
    std::string name = GetFileName();
    if (name.empty() && IsModified()) {
        name = kUntitled;
    }
    return std::string(kAppTitle) + (name.empty() ? "" : "-" + name) + (IsModified() ? "*" : "");
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

    // Nothing of the configuration before stays, so that what is held, shown
    // and checked is exactly what the file holds.
    EmptyConfiguration();
    m_nFileSize =
        static_cast<int>(std::min<std::int64_t>(ar.GetFileSize(), std::numeric_limits<int>::max()));
    while (ar.ReadString(m_strLine)) {
        m_strLine += "\r\n";
        StoreLine(m_strLine);
    }
}

ERecordType CQARNCfgDoc::StoreLine(const std::string& line) {
    const ERecordType type = GetRecordType(line);
    const int nLine = ++m_notes.nLines;
    if (type != ERecordType::Other) {
        m_notes.nFirstRecord = m_notes.nFirstRecord == 0 ? nLine : m_notes.nFirstRecord;
        m_notes.nLastRecord = nLine;
    }
    switch (type) {
        case ERecordType::Header:
            if (m_notes.nHeaderLine != 0) {
                m_notes.replacedHeaders.push_back(m_notes.nHeaderLine);
            }
            m_notes.nHeaderLine = nLine;
            m_pHeader->Parse(line);
            break;
        case ERecordType::Data: {
            auto record = std::make_unique<Csrecord>();
            record->Parse(line);
            g_recordList.AddTail(std::move(record));
            m_notes.dataLines.push_back(nLine);
            break;
        }
        case ERecordType::End:
            if (m_notes.nEndLine != 0) {
                m_notes.replacedEnds.push_back(m_notes.nEndLine);
            }
            m_notes.nEndLine = nLine;
            m_pEndRecord->Parse(line);
            break;
        case ERecordType::Other:
            // S1, S5, S9, blank lines, an echo: not part of a configuration
            m_notes.nFirstDropped = m_notes.nDropped++ == 0 ? nLine : m_notes.nFirstDropped;
            break;
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

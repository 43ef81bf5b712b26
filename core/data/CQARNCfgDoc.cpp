#include "data/CQARNCfgDoc.h"

#include "data/CArchive.h"
#include "data/CConfigCheck.h"
#include "data/CRecordList.h"
#include "data/TextCut.h"
#include "platform/CPathName.h"
#include "platform/ETovrikError.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <utility>

namespace {

constexpr long long kDataStart = 12;  // where an S3 line's data begins
constexpr long long kEndLength = 14;  // an S7 line without its line end

}  // namespace

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
        if (CConfigCheck::IsRecordLine(line)) {
            return {};
        }
    }
    return ETovrikError::NotConfiguration;
}

std::string CQARNCfgDoc::GetFileName() const {
    return CPathName::FileName(GetPathName());
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
    // as it was. Nothing of the configuration before stays, so that what is
    // held, shown and checked is exactly what the file holds.
    Cs0Header header;
    Cs7EndRecord endRecord;
    CRecordList::Storage records;
    CReadNotes notes;
    std::string line;
    bool bAnyLine = false;
    while (ar.ReadString(line)) {
        line += "\r\n";
        std::unique_ptr<Csrecord> record;
        ParseLine(line, header, endRecord, record, notes);
        if (record) {
            records.push_back(std::move(record));
        }
        bAnyLine = true;
    }
    if (ar.GetTextEndLine() != 0) {
        notes.lineNotes.push_back({ELineNote::TextEnd, ar.GetTextEndLine(), ar.GetUnreadBytes()});
    }

    // Nothing from here on allocates.
    g_recordList.Restore(std::move(records));
    *m_pHeader = std::move(header);
    *m_pEndRecord = std::move(endRecord);
    m_notes = std::move(notes);
    if (bAnyLine) {
        m_strLine.swap(line);
    }
    m_nFileSize =
        static_cast<int>(std::min<std::int64_t>(ar.GetFileSize(), std::numeric_limits<int>::max()));
}

void CQARNCfgDoc::OnSaved() {
    try {
        Cs0Header header;
        Cs7EndRecord endRecord;
        CReadNotes notes;
        auto note = [&](const std::string& line) {
            if (!line.empty()) {
                std::unique_ptr<Csrecord> record;
                ParseLine(line, header, endRecord, record, notes);
            }
        };
        note(m_pHeader->GetLine());
        for (const auto& record : g_recordList) {
            note(record->GetLine());
        }
        note(m_pEndRecord->GetLine());
        m_notes = std::move(notes);
    } catch (const std::bad_alloc&) {
        // The notes of the load stay; they only mislead about lines left out.
    }
}

ERecordType CQARNCfgDoc::StoreLine(const std::string& line, const CDroppedBytes& dropped) {
    std::unique_ptr<Csrecord> record;
    const ERecordType type = ParseLine(line, *m_pHeader, *m_pEndRecord, record, m_notes, dropped);
    if (record) {
        g_recordList.AddTail(std::move(record));
    }
    return type;
}

ERecordType CQARNCfgDoc::ParseLine(const std::string& line, Cs0Header& header,
                                   Cs7EndRecord& endRecord, std::unique_ptr<Csrecord>& record,
                                   CReadNotes& notes, const CDroppedBytes& dropped) {
    const ERecordType type = GetRecordType(line);
    const int nLine = ++notes.nLines;
    if (type != ERecordType::Other) {
        notes.nFirstRecord = notes.nFirstRecord == 0 ? nLine : notes.nFirstRecord;
        notes.nLastRecord = nLine;
        if (dropped.nCount > 0) {
            notes.lineNotes.push_back({ELineNote::Dropped, nLine, dropped.nCount,
                                       dropped.nFirstByte, dropped.nFirstColumn});
        }
    }
    // The record classes cut a line at fixed places and keep nothing past
    // them; the text without its line end tells how much that leaves behind.
    const auto textLength = static_cast<long long>(line.size() - TextCut::LineEnd(line).size());
    auto notePast = [&](ELineNote eKind, long long keptLength) {
        if (textLength > keptLength) {
            notes.lineNotes.push_back({eKind, nLine, textLength - keptLength});
        }
    };
    switch (type) {
        case ERecordType::Header:
            if (notes.nHeaderLine != 0) {
                notes.replacedHeaders.push_back(notes.nHeaderLine);
            }
            notes.nHeaderLine = nLine;
            header.Parse(line);
            break;
        case ERecordType::Data:
            record = std::make_unique<Csrecord>();
            record->Parse(line);
            notes.dataLines.push_back(nLine);
            // Type, count and address, then the data and checksum the count
            // places; a count too small for them leaves only the first three.
            notePast(ELineNote::PastCount, kDataStart + std::max(0, record->m_nDataLen + 2));
            break;
        case ERecordType::End:
            if (notes.nEndLine != 0) {
                notes.replacedEnds.push_back(notes.nEndLine);
            }
            notes.nEndLine = nLine;
            endRecord.Parse(line);
            notePast(ELineNote::PastChecksum, kEndLength);
            break;
        case ERecordType::Other:
            // S1, S5, S9, blank lines, an echo: not part of a configuration
            if (notes.nDropped++ == 0) {
                notes.nFirstDropped = nLine;
                notes.strFirstDropped = line.substr(0, line.find_last_not_of("\r\n") + 1);
            }
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

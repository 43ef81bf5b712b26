#include "data/CConfigSnapshot.h"

#include "data/CQARNCfgDoc.h"

#include <utility>

void CConfigSnapshot::Take(CQARNCfgDoc* pDoc) {
    Discard();
    m_records = g_recordList.TakeAll();
    if (pDoc != nullptr) {
        m_header = *pDoc->m_pHeader;
        m_endRecord = *pDoc->m_pEndRecord;
        m_notes = pDoc->m_notes;
        m_bModified = pDoc->IsModified();
        pDoc->EmptyConfiguration();
    }
    m_bHeld = true;
}

void CConfigSnapshot::Restore(CQARNCfgDoc* pDoc) {
    if (!m_bHeld) {
        return;
    }
    g_recordList.Restore(std::move(m_records));
    if (pDoc != nullptr) {
        *pDoc->m_pHeader = m_header;
        *pDoc->m_pEndRecord = m_endRecord;
        pDoc->m_notes = m_notes;
        pDoc->SetModifiedFlag(m_bModified);
    }
    Discard();
}

void CConfigSnapshot::Discard() {
    m_records.clear();
    m_header = Cs0Header();
    m_endRecord = Cs7EndRecord();
    m_notes = CReadNotes();
    m_bModified = false;
    m_bHeld = false;
}

bool CConfigSnapshot::HoldsRecords() const {
    return m_bHeld &&
           (!m_records.empty() || !m_header.m_strType.empty() || !m_endRecord.m_strType.empty());
}

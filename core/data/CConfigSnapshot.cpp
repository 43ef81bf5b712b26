#include "data/CConfigSnapshot.h"

#include "data/CQARNCfgDoc.h"

#include <utility>

void CConfigSnapshot::Take(CQARNCfgDoc* pDoc) {
    Discard();
    m_records = g_recordList.TakeAll();
    if (pDoc != nullptr) {
        m_header = *pDoc->m_pHeader;
        m_endRecord = *pDoc->m_pEndRecord;
        m_bModified = pDoc->IsModified();
    }
    m_bHeld = true;
}

void CConfigSnapshot::Restore(CQARNCfgDoc* pDoc) {
    if (!m_bHeld) {
        return;
    }
    g_recordList.Restore(std::move(m_records));
    if (pDoc != nullptr && m_header && m_endRecord) {
        *pDoc->m_pHeader = *m_header;
        *pDoc->m_pEndRecord = *m_endRecord;
        pDoc->SetModifiedFlag(m_bModified);
    }
    Discard();
}

void CConfigSnapshot::Discard() {
    m_records.clear();
    m_header.reset();
    m_endRecord.reset();
    m_bModified = false;
    m_bHeld = false;
}

#include "core/data/CConfigSnapshot.h"

#include "core/data/CQARNCfgDoc.h"

#include <utility>

void CConfigSnapshot::Take(CQARNCfgDoc* pDoc) {
    Discard();
    m_config.m_records.Restore(g_recordList.TakeAll());
    if (pDoc != nullptr) {
        m_config.m_header = *pDoc->m_pHeader;
        m_config.m_endRecord = *pDoc->m_pEndRecord;
        m_config.m_notes = pDoc->m_notes;
        m_bModified = pDoc->IsModified();
        pDoc->EmptyConfiguration();
    }
    m_bHeld = true;
}

void CConfigSnapshot::Restore(CQARNCfgDoc* pDoc) {
    if (!m_bHeld) {
        return;
    }
    g_recordList.Restore(m_config.m_records.TakeAll());
    if (pDoc != nullptr) {
        *pDoc->m_pHeader = m_config.m_header;
        *pDoc->m_pEndRecord = m_config.m_endRecord;
        pDoc->m_notes = m_config.m_notes;
        pDoc->SetModifiedFlag(m_bModified);
    }
    Discard();
}

void CConfigSnapshot::Discard() {
    m_config = CConfiguration();
    m_bModified = false;
    m_bHeld = false;
}

bool CConfigSnapshot::HoldsRecords() const {
    return m_bHeld && !m_config.IsEmpty();
}

CConfiguration CConfigSnapshot::Release() {
    CConfiguration config = std::move(m_config);
    Discard();
    return config;
}

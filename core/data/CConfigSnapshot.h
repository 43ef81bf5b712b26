#pragma once

#include "data/CRecordList.h"
#include "data/Cs0Header.h"
#include "data/Cs7EndRecord.h"

#include <optional>

class CQARNCfgDoc;

// The configuration held before an upload, kept aside so that an upload that
// does not finish can give it back exactly as it was: the records of
// g_recordList, the document's header and end record, and its modified flag.
class CConfigSnapshot {
public:
    // Empties g_recordList into the snapshot and copies the document's
    // records, replacing anything kept before.
    void Take(CQARNCfgDoc* pDoc);
    // Puts what was kept back in place; does nothing when nothing is kept.
    void Restore(CQARNCfgDoc* pDoc);
    // Forgets what was kept: what is in memory now stays.
    void Discard();
    bool IsHeld() const { return m_bHeld; }

private:
    bool m_bHeld = false;
    CRecordList::Storage m_records;
    std::optional<Cs0Header> m_header;
    std::optional<Cs7EndRecord> m_endRecord;
    bool m_bModified = false;
};

#pragma once

#include "core/data/CConfiguration.h"

class CQARNCfgDoc;

// A configuration kept aside exactly as it was: the records of g_recordList,
// the document's header and end record, its read notes and its modified flag.
// An upload keeps the configuration held before it, to give it back when the
// upload does not finish, and what it received, for whoever wants to look at
// a failed upload or compare it with another.
class CConfigSnapshot {
public:
    // Moves the configuration into the snapshot, leaving the document and
    // g_recordList empty; replaces anything kept before.
    void Take(CQARNCfgDoc* pDoc);
    // Puts what was kept back in place of what the document holds; does
    // nothing when nothing is kept.
    void Restore(CQARNCfgDoc* pDoc);
    // Forgets what was kept: what is in memory now stays.
    void Discard();
    bool IsHeld() const { return m_bHeld; }
    // Holds at least one record of any kind.
    bool HoldsRecords() const;
    // What is kept, empty when nothing is.
    const CConfiguration& Configuration() const { return m_config; }
    // Moves what is kept out, forgetting it.
    CConfiguration Release();

private:
    bool m_bHeld = false;
    CConfiguration m_config;
    bool m_bModified = false;
};

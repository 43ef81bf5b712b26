#pragma once

#include "transfer/CTransferView.h"

// A transfer view with nothing behind it. It only counts the per-byte and
// per-line notifications, which the upload target checks against the bytes and
// lines that it fed in.
class CSilentView : public CTransferView {
public:
    void PostTransferStep() override { ++m_nPostedSteps; }
    void PostTransferCount() override { ++m_nPostedCounts; }

    long m_nPostedSteps = 0;
    long m_nPostedCounts = 0;
};

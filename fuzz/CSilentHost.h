#pragma once

#include "transfer/CTransferHost.h"

#include <string>

// A transfer host with no user interface behind it. It only counts the
// per-byte and per-line notifications, which the upload target checks against
// the bytes and lines that it fed in.
class CSilentHost : public CTransferHost {
public:
    using CTransferHost::CTransferHost;

    void AddStatus(const std::string& /*line*/) override {}
    void InsertStatus(int /*index*/, const std::string& /*line*/) override {}
    void SetProgressPos(int /*pos*/) override {}
    void StepProgress() override {}
    void UpdateByteCount() override {}
    void EnableControls() override {}
    void SetCaption(const std::string& /*caption*/) override {}
    void ShowMessageBox(const std::string& /*text*/, const std::string& /*caption*/) override {}
    void PostTransferStep() override { ++m_nPostedSteps; }
    void PostTransferCount() override { ++m_nPostedCounts; }
    void PostTransferDone() override {}

    long m_nPostedSteps = 0;
    long m_nPostedCounts = 0;
};

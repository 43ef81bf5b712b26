#pragma once

#include "support/CTestTransferDlg.h"

#include <atomic>
#include <chrono>
#include <thread>

// The transfer dialog with a gate in its worker's path: at the n-th byte sent,
// byte accepted or line stored, the worker stops until the user has cancelled
// (m_session.m_bAbort is set), so that Cancel lands exactly in that phase.
class CGatedTransferDlg : public CTestTransferDlg {
public:
    enum class EGate { None, SentByte, AcceptedByte, StoredLine };

    void HoldAt(EGate gate, int n) {
        m_gate = gate;
        m_nHoldAt = n;
    }
    bool IsHeld() const { return m_bHeld; }
    // Serves the dialog until the worker stands at the gate.
    bool WaitUntilHeld(int timeoutMs) {
        return ServeUntil([this] { return m_bHeld.load(); }, timeoutMs);
    }

    void StepProgress() override {
        Pass(EGate::SentByte);
        CTestTransferDlg::StepProgress();
    }
    void PostTransferStep() override {
        Pass(EGate::AcceptedByte);
        CTestTransferDlg::PostTransferStep();
    }
    void PostTransferCount() override {
        Pass(EGate::StoredLine);
        CTestTransferDlg::PostTransferCount();
    }

private:
    // Worker thread. Gives up after five seconds so that a test that never
    // cancels fails instead of hanging.
    void Pass(EGate gate) {
        if (gate != m_gate || ++m_nPassed != m_nHoldAt) {
            return;
        }
        m_bHeld = true;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!m_session.m_bAbort && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    EGate m_gate = EGate::None;
    int m_nHoldAt = 0;
    int m_nPassed = 0;  // worker thread only
    std::atomic<bool> m_bHeld{false};
};

#include "core/transfer/CTransferSession.h"

#include "core/transfer/DownloadThreadProc.h"
#include "core/transfer/UploadThreadProc.h"

#include <algorithm>
#include <thread>

CTransferSession::~CTransferSession() {
    m_bAbort = true;
    m_thread.Join();
}

bool CTransferSession::Start(CQARNCfgDoc& doc, const CTransferRequest& request) {
    m_thread.Join();
    m_pDoc = &doc;
    m_request = request;
    m_bAbort = false;
    m_bUploadDone = false;
    m_nTotal = 0;
    m_eOutcome = ETransferOutcome::None;
    m_receivedCheck.reset();
    {
        const std::lock_guard lock(m_endMutex);
        m_bEndCommitted = false;
    }
    if (m_request.eMode == ETransferMode::Upload) {
        // Kept aside rather than deleted: an upload that does not finish gives
        // the configuration held before back.
        m_received.Discard();
        m_snapshot.Take(m_pDoc);
    }
    m_bRunning = true;
    const bool started = m_thread.Start([this] {
        if (m_request.eMode == ETransferMode::Upload) {
            UploadThreadProc(*this);
        } else {
            DownloadThreadProc(*this);
        }
    });
    if (!started) {
        m_bRunning = false;
        m_snapshot.Restore(m_pDoc);
    }
    return started;
}

bool CTransferSession::WaitForEnd(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_runningMutex);
    return m_runningFell.wait_for(lock, timeout, [this] { return !m_bRunning; });
}

void CTransferSession::EndWorker(ETransferOutcome outcome) {
    m_eOutcome = outcome;
    m_port.Close();
    m_view.PostTransferEnded();
    {
        const std::lock_guard lock(m_runningMutex);
        m_bRunning = false;
    }
    m_runningFell.notify_all();
}

bool CTransferSession::RequestAbort() {
    const std::lock_guard lock(m_endMutex);
    m_bAbort = true;
    return !m_bEndCommitted;
}

bool CTransferSession::CommitEndLine() {
    const std::lock_guard lock(m_endMutex);
    m_bEndCommitted = !m_bAbort;
    return m_bEndCommitted;
}

void CTransferSession::KeepUpload() {
    if (m_request.bKeepDocument) {
        AbandonUpload();
        return;
    }
    m_snapshot.Discard();
    m_pDoc->SetPathName({});
    m_pDoc->SetModifiedFlag();
}

void CTransferSession::AbandonUpload(std::optional<CConfigCheck> check) {
    if (m_snapshot.IsHeld()) {
        m_received.Take(m_pDoc);
        m_snapshot.Restore(m_pDoc);
    }
    m_receivedCheck = std::move(check);
}

void CTransferSession::KeepReceived() {
    if (!m_received.IsHeld()) {
        return;
    }
    m_received.Restore(m_pDoc);
    m_pDoc->SetPathName({});
    m_pDoc->SetModifiedFlag();
}

void CTransferSession::EndSession() {
    m_thread.Join();
    if (m_request.eMode == ETransferMode::Upload && !m_bUploadDone && m_snapshot.IsHeld()) {
        m_received.Take(m_pDoc);
        m_snapshot.Restore(m_pDoc);
    }
    m_port.Close();
}

void CTransferSession::SendLine(const std::string& line) {
    for (const char c : line) {
        m_port.WriteByte(static_cast<unsigned char>(c));
        if (m_port.GetLastError()) {
            return;
        }
        m_view.StepProgress();
    }
}

bool CTransferSession::OpenPort() {
    if (m_port.Open(m_request.port, m_request.nBaudRate)) {
        return true;
    }
    m_view.PortNotOpened(m_request.port, m_port.GetLastError());
    return false;
}

void CTransferSession::PauseUnlessAborted(int ms) {
    m_port.Drain();
    using Clock = std::chrono::steady_clock;
    constexpr auto kAbortLook = std::chrono::milliseconds(20);
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (auto now = Clock::now(); !m_bAbort && now < end; now = Clock::now()) {
        std::this_thread::sleep_for(std::min<Clock::duration>(kAbortLook, end - now));
    }
}

void CTransferSession::Pause(int ms) {
    m_port.Drain();
    // A download keeps thousands of these pauses, and a sleeping thread wakes
    // late by a tenth of a millisecond or more each time. Sleeping up to
    // shortly before the end and yielding the rest keeps every pause at its
    // length without stretching the whole transfer.
    using Clock = std::chrono::steady_clock;
    constexpr auto kWakeMargin = std::chrono::microseconds(300);
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    const auto sleep = end - kWakeMargin - Clock::now();
    if (sleep > Clock::duration::zero()) {
        std::this_thread::sleep_for(sleep);
    }
    while (Clock::now() < end) {
        std::this_thread::yield();
    }
}

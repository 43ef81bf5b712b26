#include "transfer/CTransferSession.h"

#include "serial/CPortMap.h"
#include "transfer/DownloadThreadProc.h"
#include "transfer/UploadThreadProc.h"

#include <algorithm>
#include <chrono>
#include <thread>

CTransferSession::~CTransferSession() {
    StopWorker();
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

bool CTransferSession::StartWorker() {
    JoinWorker();
    m_bAbort = false;
    m_bUploadDone = false;
    m_eOutcome = ETransferOutcome::None;
    m_receivedCheck.reset();
    {
        const std::lock_guard lock(m_endMutex);
        m_bEndCommitted = false;
    }
    m_bRunning = true;
    const bool started = m_thread.Start(
        m_nMode == ETransferMode::Upload ? UploadThreadProc : DownloadThreadProc, this);
    if (!started) {
        m_bRunning = false;
    }
    return started;
}

void CTransferSession::JoinWorker() {
    m_thread.Join();
}

void CTransferSession::StopWorker() {
    m_bAbort = true;
    m_thread.Join();
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

void CTransferSession::BeginUpload() {
    m_received.Discard();
    m_receivedCheck.reset();
    m_snapshot.Take(m_pDoc);
}

void CTransferSession::RestoreConfiguration() {
    m_snapshot.Restore(m_pDoc);
}

void CTransferSession::AbandonUpload() {
    if (!m_snapshot.IsHeld()) {
        return;
    }
    m_received.Take(m_pDoc);
    m_snapshot.Restore(m_pDoc);
}

void CTransferSession::KeepUpload() {
    if (m_bKeepDocument) {
        AbandonUpload();
        return;
    }
    m_snapshot.Discard();
    if (m_pDoc != nullptr) {
        m_pDoc->SetPathName({});
        m_pDoc->SetModifiedFlag();
    }
}

void CTransferSession::PutBackReceived() {
    m_received.Restore(m_pDoc);
}

void CTransferSession::KeepReceived() {
    if (!m_received.IsHeld()) {
        return;
    }
    PutBackReceived();
    if (m_pDoc != nullptr) {
        m_pDoc->SetPathName({});
        m_pDoc->SetModifiedFlag();
    }
}

void CTransferSession::EndSession() {
    JoinWorker();
    if (m_nMode == ETransferMode::Upload && !m_bUploadDone) {
        AbandonUpload();
    }
    m_port.Close();
}

bool CTransferSession::OpenPort() {
    const bool opened = m_strDevice.empty() ? m_port.Open(m_nPort, m_nBaudRate)
                                            : m_port.OpenDevice(m_strDevice, m_nBaudRate);
    if (opened) {
        return true;
    }
    const std::error_code error = m_port.GetLastError();
    m_view.AddStatus("Cannot open port " + PortDescription() + ": " + error.message() + ".");
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
        m_view.AddStatus("Permission denied: is the user in the dialout group?");
    } else if (error == std::errc::device_or_resource_busy ||
               error == std::errc::resource_unavailable_try_again) {
        m_view.AddStatus("The port is in use by another program.");
    } else if (error == std::errc::no_such_file_or_directory ||
               error == std::errc::no_such_device ||
               error == std::errc::no_such_device_or_address) {
        m_view.AddStatus("There is no such device: check the port setting.");
    } else if (error == std::errc::inappropriate_io_control_operation) {
        m_view.AddStatus("That device is not a serial port.");
    }
    return false;
}

std::string CTransferSession::PortDescription() const {
    if (!m_strDevice.empty()) {
        return m_strDevice;
    }
    std::string device = m_port.GetDeviceName();
    if (device.empty()) {
        device = CPortMap::DeviceFor(m_nPort);
    }
    return CPortMap::PortName(m_nPort) + " (" + device + ")";
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

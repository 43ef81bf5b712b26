#include "transfer/CTransferHost.h"

#include "data/CQARNCfgDoc.h"
#include "serial/CPortMap.h"
#include "transfer/DownloadThreadProc.h"
#include "transfer/UploadThreadProc.h"

#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

void CTransferHost::SendLine(const std::string& line) {
    for (const char c : line) {
        m_port.WriteByte(static_cast<unsigned char>(c));
        if (m_port.GetLastErrorNumber() != 0) {
            return;
        }
        StepProgress();
    }
}

bool CTransferHost::StartWorker() {
    JoinWorker();
    m_bAbort = false;
    m_bUploadDone = false;
    m_eOutcome = ETransferOutcome::None;
    m_bRunning = true;
    const bool started = m_thread.Start(m_nMode == 1 ? UploadThreadProc : DownloadThreadProc, this);
    if (!started) {
        m_bRunning = false;
    }
    return started;
}

void CTransferHost::JoinWorker() {
    m_thread.Join();
}

void CTransferHost::StopWorker() {
    m_bAbort = true;
    m_thread.Join();
}

void CTransferHost::BeginUpload() {
    DiscardSnapshot();
    m_savedRecords = g_recordList.TakeAll();
    if (m_pDoc != nullptr) {
        m_savedHeader = *m_pDoc->m_pHeader;
        m_savedEndRecord = *m_pDoc->m_pEndRecord;
        m_bSavedModified = m_pDoc->IsModified();
    }
    m_bHaveSnapshot = true;
}

void CTransferHost::RestoreConfiguration() {
    if (!m_bHaveSnapshot) {
        return;
    }
    g_recordList.Restore(std::move(m_savedRecords));
    if (m_pDoc != nullptr && m_savedHeader && m_savedEndRecord) {
        *m_pDoc->m_pHeader = *m_savedHeader;
        *m_pDoc->m_pEndRecord = *m_savedEndRecord;
        m_pDoc->SetModifiedFlag(m_bSavedModified);
    }
    DiscardSnapshot();
}

void CTransferHost::DiscardSnapshot() {
    m_savedRecords.clear();
    m_savedHeader.reset();
    m_savedEndRecord.reset();
    m_bSavedModified = false;
    m_bHaveSnapshot = false;
}

void CTransferHost::EndSession() {
    JoinWorker();
    if (m_nMode == 1 && !m_bUploadDone) {
        RestoreConfiguration();
    }
    m_port.Close();
}

bool CTransferHost::OpenPort() {
    const bool opened = m_strDevice.empty() ? m_port.Open(m_nPort, m_nBaudRate)
                                            : m_port.OpenDevice(m_strDevice, m_nBaudRate);
    if (opened) {
        return true;
    }
    AddStatus("Cannot open port " + PortDescription() + ": " + m_port.GetLastErrorText() + ".");
    switch (m_port.GetLastErrorNumber()) {
        case EACCES:
        case EPERM:
            AddStatus("Permission denied: is the user in the dialout group?");
            break;
        case EBUSY:
        case EWOULDBLOCK:
            AddStatus("The port is in use by another program.");
            break;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            AddStatus("There is no such device: check the port setting.");
            break;
        case ENOTTY:
            AddStatus("That device is not a serial port.");
            break;
        default:
            break;
    }
    return false;
}

std::string CTransferHost::PortDescription() const {
    if (!m_strDevice.empty()) {
        return m_strDevice;
    }
    std::string device = m_port.GetDeviceName();
    if (device.empty()) {
        device = CPortMap::DeviceFor(m_nPort);
    }
    return CPortMap::PortName(m_nPort) + " (" + device + ")";
}

void CTransferHost::Pause(int ms) {
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

#include "transfer/DownloadThreadProc.h"

#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "transfer/CTransferHost.h"

#include <cstdio>
#include <string>

namespace {

constexpr const char* kWakeup = "\r\n";
constexpr const char* kReceiveCommand = "#CU\r\n";

class CDownloadRun {
public:
    explicit CDownloadRun(CTransferHost& host) : m_host(host) {}

    ETransferOutcome Run() {
        if (!m_host.OpenPort()) {
            return EndIdle(ETransferOutcome::PortNotOpened);
        }
        if (!Command(kWakeup, m_host.m_timing.nWakeupPauseMs) ||
            !Command(kWakeup, m_host.m_timing.nWakeupPauseMs) ||
            !Command(kReceiveCommand, m_host.m_timing.nCommandPauseMs)) {
            return EndWithCommError();
        }
        if (!m_host.m_bAbort) {
            m_host.AddStatus("Downloading data.");
        }
        // The header goes out even after an abort request: the device has been
        // told to receive and expects at least that much.
        if (!Record(m_host.m_pDoc->m_pHeader->GetLine())) {
            return EndWithCommError();
        }
        for (const auto& record : g_recordList) {
            if (m_host.m_bAbort) {
                break;
            }
            if (!Record(record->GetLine())) {
                return EndWithCommError();
            }
            m_host.UpdateByteCount();
            m_host.Pause(m_host.m_timing.nLinePauseMs);
            if (LineFailed()) {
                return EndWithCommError();
            }
        }
        // One look at the flag decides both the count and the sending of the end
        // line, so the count never includes an end line that was not sent.
        if (m_host.m_bAbort) {
            m_host.UpdateByteCount();
            return ETransferOutcome::Aborted;
        }
        m_host.SetCaption(m_host.m_strTitle);
        if (!Record(m_host.m_pDoc->m_pEndRecord->GetLine())) {
            return EndWithCommError();
        }
        m_host.UpdateByteCount();
        m_host.InsertStatus(1, "Download finished.");
        char count[80];
        std::snprintf(count, sizeof count,
                      "%d bytes have been successfully downloaded into the QARN",
                      m_host.m_nTotal.load());
        m_host.InsertStatus(2, count);
        m_host.Pause(m_host.m_timing.nPowerCyclePauseMs);
        m_host.InsertStatus(3, "Power cycle QARN.");
        m_host.EnableControls();
        return ETransferOutcome::Finished;
    }

private:
    bool LineFailed() const { return m_host.m_port.GetLastErrorNumber() != 0; }

    bool Command(const std::string& text, int pauseMs) {
        m_host.m_port.Write(text.data(), static_cast<int>(text.size()));
        if (LineFailed()) {
            return false;
        }
        m_host.Pause(pauseMs);
        return !LineFailed();
    }

    // Counts the line only once it has gone out whole.
    bool Record(const std::string& line) {
        m_host.SendLine(line);
        if (LineFailed()) {
            return false;
        }
        m_host.m_nTotal += static_cast<int>(line.size());
        return true;
    }

    // Leaves the dialog as a normal end does, without claiming a download.
    ETransferOutcome EndIdle(ETransferOutcome outcome) {
        if (m_host.m_bAbort) {
            return ETransferOutcome::Aborted;
        }
        m_host.SetCaption(m_host.m_strTitle);
        m_host.EnableControls();
        return outcome;
    }

    // The port refused a byte: the device is gone or the line is dead, and what
    // it holds now is an incomplete configuration.
    ETransferOutcome EndWithCommError() {
        if (m_host.m_bAbort) {
            return ETransferOutcome::Aborted;
        }
        m_host.UpdateByteCount();
        m_host.AddStatus("Download aborted.");
        m_host.SetCaption(m_host.m_strTitle);
        m_host.ShowMessageBox("Download Aborted\nPlease Power Cycle QARN\n", "Communication Error");
        m_host.EnableControls();
        return ETransferOutcome::CommError;
    }

    CTransferHost& m_host;
};

}  // namespace

unsigned DownloadThreadProc(void* pParam) {
    auto& host = *static_cast<CTransferHost*>(pParam);
    // m_bAbort is left alone: whoever started the worker cleared it, and an
    // abort request made since then must stand.
    host.m_bRunning = true;
    host.m_eOutcome = CDownloadRun(host).Run();
    host.m_port.Close();
    host.m_bRunning = false;
    return 0;
}

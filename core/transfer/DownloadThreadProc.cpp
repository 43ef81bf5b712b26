#include "core/transfer/DownloadThreadProc.h"

#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "core/transfer/CTransferSession.h"
#include "core/transfer/TransferProtocol.h"

#include <cstdio>
#include <string>

namespace {

using TransferProtocol::kReceiveCommand;
using TransferProtocol::kWakeup;

class CDownloadRun {
public:
    explicit CDownloadRun(CTransferSession& session)
        : m_session(session), m_view(session.View()), m_timing(session.Request().timing) {}

    ETransferOutcome Run() {
        if (!m_session.OpenPort()) {
            return EndIdle(ETransferOutcome::PortNotOpened);
        }
        if (!Command(kWakeup, m_timing.nWakeupPauseMs) ||
            !Command(kWakeup, m_timing.nWakeupPauseMs) ||
            !Command(kReceiveCommand, m_timing.nCommandPauseMs)) {
            return EndWithCommError();
        }
        if (!m_session.AbortRequested()) {
            m_view.AddStatus("Downloading data.");
        }
        // The header goes out even after an abort request: the device has been
        // told to receive and expects at least that much.
        if (!Record(m_session.Document().m_pHeader->GetLine())) {
            return EndWithCommError();
        }
        for (const auto& record : g_recordList) {
            if (m_session.AbortRequested()) {
                break;
            }
            if (!Record(record->GetLine())) {
                return EndWithCommError();
            }
            m_view.UpdateByteCount(m_session.Total());
            m_session.Pause(m_timing.nLinePauseMs);
            if (LineFailed()) {
                return EndWithCommError();
            }
        }
        // One decision, taken with any abort request, settles both the count and
        // the sending of the end line: from here on the download finishes, and
        // a later Cancel only shortens the last wait.
        m_bEndCommitted = m_session.CommitEndLine();
        if (!m_bEndCommitted) {
            m_view.UpdateByteCount(m_session.Total());
            return ETransferOutcome::Aborted;
        }
        m_view.SetCaption(m_session.Request().strTitle);
        if (!Record(m_session.Document().m_pEndRecord->GetLine())) {
            return EndWithCommError();
        }
        m_view.UpdateByteCount(m_session.Total());
        m_view.InsertStatus(1, "Download finished.");
        char count[80];
        std::snprintf(count, sizeof count,
                      "%d bytes have been successfully downloaded into the QARN",
                      m_session.Total());
        m_view.InsertStatus(2, count);
        m_session.PauseUnlessAborted(m_timing.nPowerCyclePauseMs);
        m_view.InsertStatus(3, TransferProtocol::kPowerCycleText);
        m_view.EnableControls();
        return ETransferOutcome::Finished;
    }

private:
    bool LineFailed() const { return static_cast<bool>(m_session.Port().GetLastError()); }

    bool Command(const std::string& text, int pauseMs) {
        m_session.Port().Write(text.data(), static_cast<int>(text.size()));
        if (LineFailed()) {
            return false;
        }
        m_session.Pause(pauseMs);
        return !LineFailed();
    }

    // Counts the line only once it has gone out whole.
    bool Record(const std::string& line) {
        m_session.SendLine(line);
        if (LineFailed()) {
            return false;
        }
        m_session.AddToTotal(static_cast<int>(line.size()));
        return true;
    }

    // Leaves the dialog as a normal end does, without claiming a download.
    ETransferOutcome EndIdle(ETransferOutcome outcome) {
        if (m_session.AbortRequested()) {
            return ETransferOutcome::Aborted;
        }
        m_view.SetCaption(m_session.Request().strTitle);
        m_view.EnableControls();
        return outcome;
    }

    // The port refused a byte: the device is gone or the line is dead, and what
    // it holds now is an incomplete configuration.
    ETransferOutcome EndWithCommError() {
        // Once the end line is committed, a Cancel has been told the download
        // finishes; that it failed must still be said.
        if (m_session.AbortRequested() && !m_bEndCommitted) {
            return ETransferOutcome::Aborted;
        }
        m_view.UpdateByteCount(m_session.Total());
        m_view.AddStatus("Download aborted.");
        m_view.SetCaption(m_session.Request().strTitle);
        m_view.ShowMessageBox(TransferProtocol::kDownloadLineFaultText,
                              TransferProtocol::kLineFaultCaption);
        m_view.EnableControls();
        return ETransferOutcome::CommError;
    }

    CTransferSession& m_session;
    CTransferView& m_view;
    const CTransferTiming& m_timing;
    bool m_bEndCommitted = false;
};

}  // namespace

unsigned DownloadThreadProc(CTransferSession& session) {
    // m_bRunning was raised and m_bAbort cleared by Start, so that an abort
    // request made since then stands.
    session.EndWorker(CDownloadRun(session).Run());
    return 0;
}

#include "transfer/UploadThreadProc.h"

#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "data/Csrecord.h"
#include "transfer/CTransferHost.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr const char* kWakeup = "\r\n";
constexpr const char* kSendCommand = "#CD\r\n";
// Printable text, tab, CR and LF pass; NUL (also "no byte"), other control
// bytes, DEL and everything above 127 are line noise.
constexpr int kFirstAccepted = 9;
constexpr int kLastAccepted = 126;
// A device line is under 100 characters; a stream with no line feed in it is
// cut into lines of this size instead of growing without end.
constexpr std::size_t kMaxLineLength = 4096;

class CUploadRun {
public:
    explicit CUploadRun(CTransferHost& host) : m_host(host) {}

    ETransferOutcome Run() {
        if (!m_host.OpenPort()) {
            return End(ETransferOutcome::PortNotOpened);
        }
        const CTransferTiming& timing = m_host.m_timing;
        m_host.Pause(timing.nOpenPauseMs);
        Request(kWakeup);
        Request(kWakeup);
        Request(kSendCommand);
        if (m_host.m_port.GetInQueue() < 1) {
            m_host.AddStatus("No connection. could not upload data.");
            return End(ETransferOutcome::NoConnection);
        }
        if (m_host.m_bAbort) {
            return End(ETransferOutcome::Aborted);
        }
        m_host.AddStatus("Uploading data.");
        m_nIdle = 0;
        do {
            std::string line;
            const int n = m_host.m_port.GetInQueue();
            if (n > 0) {
                m_nIdle = 0;
            } else {
                Idle(timing.nBetweenLinesIdleMs);
            }
            if (n > 0 && !m_host.m_bAbort) {
                ReadLine(line);
                StoreLine(line);
            }
        } while (m_nLastType != 7 && !m_host.m_bAbort && !m_bError);
        return End(m_bError ? ETransferOutcome::CommError : ETransferOutcome::Finished);
    }

private:
    void Request(const char* text) {
        const std::string bytes(text);
        m_host.m_port.Write(bytes.data(), static_cast<int>(bytes.size()));
        m_host.Pause(m_host.m_timing.nRequestPauseMs);
    }

    // An empty poll; the second one in a row is a silence of the line.
    void Idle(int pauseMs) {
        ++m_nIdle;
        m_host.Pause(pauseMs);
        if (m_nIdle > 1) {
            m_bError = true;
        }
    }

    // Whatever ends the line (line feed, abort, silence, length) the caller
    // stores what has arrived, so a partial line is kept too.
    void ReadLine(std::string& line) {
        for (;;) {
            const int n = m_host.m_port.GetInQueue();
            const int b = static_cast<unsigned char>(m_host.m_port.ReadByte());
            if (n != 0) {
                m_nIdle = 0;
            } else {
                Idle(m_host.m_timing.nInLineIdleMs);
            }
            if (b >= kFirstAccepted && b <= kLastAccepted) {
                line += static_cast<char>(b);
                if (!m_host.m_bAbort) {
                    m_host.PostTransferStep();
                }
            }
            if (m_host.m_bAbort || b == '\n' || m_bError || line.size() >= kMaxLineLength) {
                return;
            }
        }
    }

    void StoreLine(const std::string& line) {
        const int type = m_host.m_pDoc->StoreLine(line);
        m_nLastType = type;
        if (type == 0 || type == 3 || type == 7) {
            m_host.m_nTotal += static_cast<int>(line.size());
            ++m_nStored;
        }
        if (!m_host.m_bAbort) {
            m_host.PostTransferCount();
        }
    }

    ETransferOutcome End(ETransferOutcome outcome) {
        if (m_host.m_bAbort) {
            // The dialog closes now and puts the configuration back itself.
            return ETransferOutcome::Aborted;
        }
        if (outcome == ETransferOutcome::Finished) {
            m_host.AddStatus("Upload finished.");
            char count[96];
            std::snprintf(count, sizeof count,
                          "%d of 196642 bytes have been successfully uploaded into RAM",
                          m_host.m_nTotal.load());
            m_host.AddStatus(count);
            m_host.PostTransferDone();
        } else if (outcome == ETransferOutcome::CommError) {
            m_host.AddStatus("Upload aborted.");
            m_host.SetProgressPos(0);
        }
        // Nothing received replaces nothing: without a stored line the
        // configuration held before the upload comes back.
        if (m_nStored == 0) {
            m_host.RestoreConfiguration();
        } else {
            m_host.DiscardSnapshot();
            m_host.m_pDoc->SetModifiedFlag();
        }
        m_host.SetCaption(m_host.m_strTitle);
        if (outcome == ETransferOutcome::CommError) {
            m_host.ShowMessageBox("Upload Aborted\nPlease Power Cycle QARN\n",
                                  "Communication Error");
        }
        m_host.m_bUploadDone = true;
        // Last of the UI calls: once Transfer Configuration is back, a new start
        // joins this worker from the interface thread, which must then no longer
        // owe this worker an answer.
        m_host.EnableControls();
        return outcome;
    }

    CTransferHost& m_host;
    bool m_bError = false;
    int m_nIdle = 0;
    int m_nLastType = 0;
    int m_nStored = 0;
};

}  // namespace

unsigned UploadThreadProc(void* pParam) {
    auto& host = *static_cast<CTransferHost*>(pParam);
    // m_bAbort is left alone: whoever started the worker cleared it, and an
    // abort request made since then must stand.
    host.m_bRunning = true;
    host.m_bUploadDone = false;
    host.m_eOutcome = CUploadRun(host).Run();
    host.m_port.Close();
    host.m_bRunning = false;
    return 0;
}

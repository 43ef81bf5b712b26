#include "core/transfer/UploadThreadProc.h"

#include "core/data/CConfigCheck.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "core/data/Csrecord.h"
#include "core/transfer/CTransferSession.h"
#include "core/transfer/TransferProtocol.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

using TransferProtocol::kSendCommand;
using TransferProtocol::kWakeup;

// Printable text, tab, CR and LF pass; NUL (also "no byte"), other control
// bytes, DEL and everything above 127 are line noise. Between lines it is
// dropped unseen; inside a line it is noted as a loss of that line.
constexpr int kFirstAccepted = 9;
constexpr int kLastAccepted = 126;
// A device line is under 100 characters; a stream with no line feed in it is
// cut into lines of this size instead of growing without end.
constexpr std::size_t kMaxLineLength = 4096;
// A device that has sent four full configurations without an end line is
// not sending one.
constexpr long kMaxAnswerBytes = 4L * CONFIG_IMAGE_BYTES;

class CUploadRun {
public:
    explicit CUploadRun(CTransferSession& session)
        : m_session(session), m_view(session.View()), m_timing(session.Request().timing) {}

    ETransferOutcome Run() {
        if (!m_session.OpenPort()) {
            return End(ETransferOutcome::PortNotOpened);
        }
        m_session.Pause(m_timing.nOpenPauseMs);
        Request(kWakeup);
        Request(kWakeup);
        // Bytes still arriving from an earlier answer must never be read as
        // this one.
        m_session.Port().FlushInput();
        Request(kSendCommand);
        if (m_session.Port().GetInQueue() < 1) {
            m_view.AddStatus("No connection. could not upload data.");
            return End(ETransferOutcome::NoConnection);
        }
        if (m_session.AbortRequested()) {
            return End(ETransferOutcome::Aborted);
        }
        m_view.AddStatus("Uploading data.");
        m_nIdle = 0;
        do {
            std::string line;
            CDroppedBytes dropped;
            const int n = m_session.Port().GetInQueue();
            if (n > 0) {
                m_nIdle = 0;
            } else {
                Idle(m_timing.nBetweenLinesIdleMs);
            }
            if (n > 0 && !m_session.AbortRequested()) {
                ReadLine(line, dropped);
                StoreLine(line, dropped);
            }
        } while (m_nLastType != ERecordType::End && !m_session.AbortRequested() && !m_bError);
        if (m_bError) {
            return End(ETransferOutcome::CommError);
        }
        return End(CConfigCheck(m_session.Document()));
    }

private:
    void Request(const char* text) {
        const std::string bytes(text);
        m_session.Port().Write(bytes.data(), static_cast<int>(bytes.size()));
        m_session.Pause(m_timing.nRequestPauseMs);
    }

    // An empty poll; the second one in a row is a silence of the line.
    void Idle(int pauseMs) {
        ++m_nIdle;
        m_session.Pause(pauseMs);
        if (m_nIdle > 1) {
            m_bError = true;
        }
    }

    // Whatever ends the line (line feed, abort, silence, length) the caller
    // stores what has arrived, so a partial line is kept too. Bytes left out
    // after the line's first accepted one are noted with it: they were part
    // of the line as it came, and a line without them is not the device's.
    void ReadLine(std::string& line, CDroppedBytes& dropped) {
        for (;;) {
            const int n = m_session.Port().GetInQueue();
            const int b = static_cast<unsigned char>(m_session.Port().ReadByte());
            if (n != 0) {
                m_nIdle = 0;
                if (++m_nReceived > kMaxAnswerBytes) {
                    m_bError = true;
                    m_bNoEnd = true;
                }
            } else {
                Idle(m_timing.nInLineIdleMs);
            }
            if (b >= kFirstAccepted && b <= kLastAccepted) {
                line += static_cast<char>(b);
                if (!m_session.AbortRequested()) {
                    m_view.PostTransferStep();
                }
            } else if (!line.empty() && (n != 0 || b != 0)) {
                // A 0 read from an empty queue is no byte at all.
                if (dropped.nCount++ == 0) {
                    dropped.nFirstByte = b;
                    dropped.nFirstColumn = static_cast<int>(line.size()) + dropped.nCount;
                }
            }
            if (m_session.AbortRequested() || b == '\n' || m_bError ||
                line.size() >= kMaxLineLength) {
                return;
            }
        }
    }

    void StoreLine(const std::string& line, const CDroppedBytes& dropped) {
        const ERecordType type = m_session.Document().StoreLine(line, dropped);
        m_nLastType = type;
        if (type != ERecordType::Other) {
            m_session.AddToTotal(static_cast<int>(line.size()));
        }
        if (!m_session.AbortRequested()) {
            m_view.PostTransferCount();
        }
    }

    // The answer has ended with its S7 line: it counts as finished only when
    // what was received is whole. Anything less is put aside with its check,
    // and the front end says why and may offer to keep it.
    ETransferOutcome End(const CConfigCheck& check) {
        if (m_session.AbortRequested()) {
            return ETransferOutcome::Aborted;
        }
        if (!check.IsWhole()) {
            const bool bDamaged = !check.IsValid();
            m_view.AddStatus(
                (bDamaged ? "Upload damaged: " : "Upload incomplete: ") +
                CConfigCheck::ReasonList(bDamaged ? check.Problems() : check.Warnings()) + ".");
            m_view.SetProgressPos(0);
            return Finish(bDamaged ? ETransferOutcome::Damaged : ETransferOutcome::Incomplete, {},
                          {}, &check);
        }
        m_view.AddStatus("Upload finished.");
        char count[96];
        std::snprintf(count, sizeof count,
                      "%d of %d bytes have been successfully uploaded into RAM", m_session.Total(),
                      CONFIG_IMAGE_BYTES);
        m_view.AddStatus(count);
        m_view.PostTransferDone();
        return Finish(ETransferOutcome::Finished, {}, {});
    }

    ETransferOutcome End(ETransferOutcome outcome) {
        if (m_session.AbortRequested()) {
            // The dialog closes now and puts the configuration back itself.
            return ETransferOutcome::Aborted;
        }
        if (outcome != ETransferOutcome::CommError) {
            return Finish(outcome, {}, {});
        }
        if (m_bNoEnd) {
            m_view.AddStatus("No S7 line in " + std::to_string(kMaxAnswerBytes) + " bytes.");
        }
        m_view.AddStatus("Upload aborted.");
        m_view.SetProgressPos(0);
        return Finish(outcome, TransferProtocol::kUploadLineFaultText,
                      TransferProtocol::kLineFaultCaption);
    }

    // Every end that is not an abort: only a finished upload replaces the
    // configuration held before.
    ETransferOutcome Finish(ETransferOutcome outcome, const std::string& boxText,
                            const std::string& boxCaption,
                            const CConfigCheck* pNotWhole = nullptr) {
        if (outcome == ETransferOutcome::Finished) {
            m_session.KeepUpload();
        } else {
            // What came is kept aside; a front end may offer to keep an
            // answer that arrived whole but was not a whole configuration.
            m_session.AbandonUpload(pNotWhole != nullptr ? std::optional<CConfigCheck>(*pNotWhole)
                                                         : std::nullopt);
        }
        m_view.SetCaption(m_session.Request().strTitle);
        if (!boxText.empty()) {
            m_view.ShowMessageBox(boxText, boxCaption);
        }
        // Last of the UI calls: once Transfer Configuration is back, a new start
        // joins this worker from the interface thread, which must then no longer
        // owe this worker an answer.
        m_view.EnableControls();
        return outcome;
    }

    CTransferSession& m_session;
    CTransferView& m_view;
    const CTransferTiming& m_timing;
    bool m_bError = false;
    bool m_bNoEnd = false;  // the answer grew past kMaxAnswerBytes
    int m_nIdle = 0;
    long m_nReceived = 0;
    ERecordType m_nLastType = ERecordType::Header;
};

}  // namespace

unsigned UploadThreadProc(CTransferSession& session) {
    // m_bRunning was raised and m_bAbort cleared by Start, so that an abort
    // request made since then stands.
    const ETransferOutcome outcome = CUploadRun(session).Run();
    // Every end but an abort leaves what the upload decided in place.
    session.m_bUploadDone = outcome != ETransferOutcome::Aborted;
    session.EndWorker(outcome);
    return 0;
}

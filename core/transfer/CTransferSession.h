#pragma once

#include "core/data/CConfigCheck.h"
#include "core/data/CConfigSnapshot.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/serial/ISerialPort.h"
#include "core/transfer/CTransferRequest.h"
#include "core/transfer/CTransferView.h"
#include "platform/common/CWorkerThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

// How the last worker ended.
enum class ETransferOutcome {
    None,           // no worker has ended yet
    Finished,       // "Download finished." / "Upload finished."
    Aborted,        // the user asked the worker to stop
    PortNotOpened,  // the port could not be opened
    NoConnection,   // upload: the device did not answer the request
    CommError,      // the line failed or fell silent during the transfer
    Damaged,        // upload: the configuration received has a problem
    Incomplete,     // upload: the configuration received is valid, but not whole
};

// One transfer of a front end (the dialog, the command-line tool, a test): the
// request, the state the worker shares with the front end, the worker's
// thread, and the configuration kept aside during an upload. The front end
// owns it and the port, and shows what the worker reports through its
// CTransferView.
class CTransferSession {
public:
    CTransferSession(CTransferView& view, ISerialPort& port) : m_view(view), m_port(port) {}
    // Stops and joins a worker still running. A front end whose view serves
    // the worker's calls on its own thread must stop the worker itself first.
    ~CTransferSession();
    CTransferSession(const CTransferSession&) = delete;
    CTransferSession& operator=(const CTransferSession&) = delete;

    // -- what a front end does -------------------------------------------------
    // Joins a previous worker first, so that two workers never share the port.
    // An upload keeps the document's configuration aside and empties it. Then
    // raises m_bRunning and starts DownloadThreadProc or UploadThreadProc at
    // the highest priority the system grants; raising the flag here rather than
    // in the worker means an Exit or Cancel that comes before the thread has
    // run is neither lost nor able to end the dialog under a live worker. False
    // (nothing running, the configuration as it was) when no thread could be
    // started.
    [[nodiscard]] bool Start(CQARNCfgDoc& doc, const CTransferRequest& request);
    bool IsRunning() const { return m_bRunning; }
    // Waits until the worker has ended, for at most `timeout`; true when it has.
    // Not for a thread that serves the worker's view calls.
    bool WaitForEnd(std::chrono::milliseconds timeout);
    // Exit, Cancel or an interrupt asks the worker to stop. False when the
    // download has already sent its end line: it has finished, and the request
    // only shortens its last wait.
    bool RequestAbort();
    // Once the worker has ended: joins it, puts back the configuration of an
    // upload that did not reach its end, closes the port.
    void EndSession();

    const CTransferRequest& Request() const { return m_request; }
    ETransferOutcome Outcome() const { return m_eOutcome; }
    // The bytes counted by the running or last transfer.
    int Total() const { return m_nTotal; }
    // The check of what an upload that ended Damaged or Incomplete received.
    const std::optional<CConfigCheck>& ReceivedCheck() const { return m_receivedCheck; }
    // Whether the last upload that did not finish received any record.
    bool HasReceived() const { return m_received.HoldsRecords(); }
    // What the last unfinished upload received replaces the configuration in
    // memory, marked changed and without a file name, with the notes of how it
    // arrived, so that its findings stay in view.
    void KeepReceived();
    // What the last upload received, once it has ended without replacing the
    // configuration in memory (an abandoned upload, or any that kept the
    // document); empty otherwise.
    const CConfiguration& Received() const { return m_received.Configuration(); }
    CConfiguration TakeReceived() { return m_received.Release(); }

    // -- what the workers use --------------------------------------------------
    CQARNCfgDoc& Document() const { return *m_pDoc; }
    ISerialPort& Port() const { return m_port; }
    CTransferView& View() const { return m_view; }
    bool AbortRequested() const { return m_bAbort; }
    void AddToTotal(int nBytes) { m_nTotal += nBytes; }
    // Writes each character with WriteByte, stepping the progress once per
    // byte. Stops at the first byte that the port rejects: the device is gone
    // and the rest of the line could not arrive either.
    void SendLine(const std::string& line);
    // Opens the requested port; on failure tells the view why.
    bool OpenPort();
    // Waits until what was written has left the port, then pauses `ms`, so the
    // pause is a gap on the wire after the last byte.
    void Pause(int ms);
    // The same, cut short by an abort request.
    void PauseUnlessAborted(int ms);
    // The download worker, before it sends the end line: false when an abort
    // request came first. From true on, RequestAbort no longer aborts.
    bool CommitEndLine();
    // Every end of an upload that is not an abort: a finished one replaces the
    // configuration held before, marked changed and without a file, so that
    // the first save asks where to write it; any other puts that configuration
    // back and keeps what was received aside, with its check when it was
    // damaged or incomplete.
    void KeepUpload();
    void AbandonUpload(std::optional<CConfigCheck> check = std::nullopt);

private:
    friend unsigned DownloadThreadProc(CTransferSession& session);
    friend unsigned UploadThreadProc(CTransferSession& session);
    // The worker's last act.
    void EndWorker(ETransferOutcome outcome);

    CTransferView& m_view;
    ISerialPort& m_port;
    CQARNCfgDoc* m_pDoc = nullptr;
    CTransferRequest m_request;

    std::atomic<bool> m_bAbort{false};
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bUploadDone{false};
    std::atomic<int> m_nTotal{0};
    // Written by the worker before m_bRunning falls.
    std::atomic<ETransferOutcome> m_eOutcome{ETransferOutcome::None};
    std::optional<CConfigCheck> m_receivedCheck;

    CWorkerThread m_thread;
    CConfigSnapshot m_snapshot;
    CConfigSnapshot m_received;
    std::mutex m_endMutex;  // one decision between an abort and the end line
    bool m_bEndCommitted = false;
    std::mutex m_runningMutex;  // for the wait on m_bRunning's fall
    std::condition_variable m_runningFell;
};

#pragma once

#include "data/CConfigCheck.h"
#include "data/CConfigSnapshot.h"
#include "data/CQARNCfgDoc.h"
#include "platform/CWorkerThread.h"
#include "serial/ISerialPort.h"
#include "transfer/CTransferTiming.h"
#include "transfer/CTransferView.h"

#include <atomic>
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
    Incomplete,     // upload: the configuration received is valid, but has a warning
};

// One transfer: its settings, the state the worker shares with its front end,
// the worker's thread, and the configuration kept aside during an upload. The
// front end (dialog, command-line tool, test) owns it and the port, and shows
// what the worker reports through its CTransferView.
class CTransferSession {
public:
    CTransferSession(CTransferView& view, ISerialPort& port) : m_view(view), m_port(port) {}
    // Stops and joins a worker still running. A front end whose view serves
    // the worker's calls on its own thread must stop the worker itself first.
    ~CTransferSession();
    CTransferSession(const CTransferSession&) = delete;
    CTransferSession& operator=(const CTransferSession&) = delete;

    // -- the worker ------------------------------------------------------------
    // Joins a previous worker first, so that two workers never share m_port;
    // then raises m_bRunning, clears m_bAbort, m_bUploadDone and m_eOutcome,
    // and starts DownloadThreadProc or UploadThreadProc at the highest priority
    // the system grants. Raising the flags here rather than in the worker means
    // an Exit or Cancel that comes before the thread has run is neither lost nor
    // able to end the dialog under a live worker. False (and m_bRunning clear)
    // when no thread could be started.
    bool StartWorker();
    // Waits for the worker's thread to end. Call once m_bRunning has fallen (the
    // worker then makes no more view calls), or from a thread that is not
    // serving the worker's view calls.
    void JoinWorker();
    // Asks the worker to stop and joins it; not for a thread that serves the
    // worker's view calls while they are pending.
    void StopWorker();
    // Exit, Cancel or an interrupt asks the worker to stop. False when the
    // download has already sent its end line: it has finished, and the request
    // only shortens its last wait.
    bool RequestAbort();

    // -- the configuration held across an upload -------------------------------
    // Before StartWorker in upload mode: empties the document and g_recordList
    // and keeps the configuration aside.
    void BeginUpload();
    // Puts the kept configuration back exactly as it was.
    void RestoreConfiguration();
    // An upload that did not finish: what it received goes aside (see
    // PutBackReceived) and the configuration held before comes back, with its
    // modified flag.
    void AbandonUpload();
    // A finished upload: what it received stays, marked changed and without a
    // file name, so that the first save asks where to write it. With
    // m_bKeepDocument it goes aside as AbandonUpload puts it.
    void KeepUpload();
    bool HasSnapshot() const { return m_snapshot.IsHeld(); }
    // Whether the last abandoned upload received any record.
    bool HasReceived() const { return m_received.HoldsRecords(); }
    // Replaces the configuration in memory with what the abandoned upload
    // received, for someone who wants to look at it.
    void PutBackReceived();
    // What the last upload received, once it has ended without replacing the
    // configuration in memory (an abandoned upload, or any with
    // m_bKeepDocument); empty otherwise.
    const CConfiguration& Received() const { return m_received.Configuration(); }
    CConfiguration TakeReceived() { return m_received.Release(); }
    // An upload that received all of an answer that is not whole (Damaged,
    // Incomplete), kept knowingly: what it received replaces the configuration
    // in memory, marked changed and without a file name, with the notes of
    // how it arrived, so that its findings stay in view.
    void KeepReceived();

    // Exit and Cancel, once m_bRunning has fallen: joins the worker, puts back
    // the configuration of an upload that did not reach its end, closes the port.
    void EndSession();

    // -- used by the workers ---------------------------------------------------
    // Writes each character with WriteByte, stepping the progress once per byte.
    // Stops at the first byte that the port rejects: the device is gone and the
    // rest of the line could not arrive either.
    void SendLine(const std::string& line);
    // Opens m_port on m_strDevice, or on port m_nPort when no device is set. On
    // failure adds "Cannot open port <name>: <reason>." and a hint where one
    // helps to the status list.
    bool OpenPort();
    // "COM1 (/dev/ttyS0)" for a numbered port, the path for a device path.
    std::string PortDescription() const;
    // Waits until what was written has left the port, then pauses `ms`, so the
    // pause is a gap on the wire after the last byte.
    void Pause(int ms);
    // The same, cut short by an abort request.
    void PauseUnlessAborted(int ms);
    // The download worker, before it sends the end line: false when an abort
    // request came first. From true on, RequestAbort no longer aborts.
    bool CommitEndLine();

    // -- the transfer and the state shared with the worker ---------------------
    CTransferView& m_view;
    ISerialPort& m_port;
    CQARNCfgDoc* m_pDoc = nullptr;
    ETransferMode m_nMode = ETransferMode::Download;
    // Compare with Device: an upload, finished or not, never replaces the
    // configuration in memory, which comes back exactly as it was; what was
    // received stays aside in Received().
    bool m_bKeepDocument = false;
    int m_nPort = 1;          // 1-based, used when m_strDevice is empty
    std::string m_strDevice;  // an explicit device path
    int m_nBaudRate = 9600;
    std::string m_strTitle;
    CTransferTiming m_timing;

    std::atomic<bool> m_bAbort{false};
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bUploadDone{false};
    std::atomic<int> m_nTotal{0};
    // Written by the worker before m_bRunning falls.
    std::atomic<ETransferOutcome> m_eOutcome{ETransferOutcome::None};
    // The check of what an upload that ended Damaged or Incomplete received:
    // why it did not finish. Written by the worker before m_bRunning falls.
    std::optional<CConfigCheck> m_receivedCheck;

private:
    CWorkerThread m_thread;
    CConfigSnapshot m_snapshot;
    CConfigSnapshot m_received;
    std::mutex m_endMutex;  // one decision between an abort and the end line
    bool m_bEndCommitted = false;
};

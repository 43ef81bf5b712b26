#pragma once

#include "data/CRecordList.h"
#include "data/Cs0Header.h"
#include "data/Cs7EndRecord.h"
#include "serial/ISerialPort.h"
#include "transfer/CTransferThread.h"
#include "transfer/CTransferTiming.h"

#include <atomic>
#include <optional>
#include <string>

class CQARNCfgDoc;

// How the last worker ended.
enum class ETransferOutcome {
    None,           // no worker has ended yet
    Finished,       // "Download finished." / "Upload finished."
    Aborted,        // the user asked the worker to stop
    PortNotOpened,  // the port could not be opened
    NoConnection,   // upload: the device did not answer the request
    CommError,      // the line failed or fell silent during the transfer
};

// The state of one transfer and the one small interface through which the
// download and upload workers reach whoever shows it: the transfer dialog, the
// command-line tool or a test.
//
// The UI calls are made from the worker thread; each returns once the user
// interface has handled it. The Post* calls return at once.
class CTransferHost {
public:
    explicit CTransferHost(ISerialPort& port) : m_port(port) {}
    // A derived class must stop its worker (StopWorker) in its own destructor:
    // the worker calls the derived class's overrides.
    virtual ~CTransferHost() = default;

    // -- what the user interface shows --------------------------------------
    virtual void AddStatus(const std::string& line) = 0;
    virtual void InsertStatus(int index, const std::string& line) = 0;
    virtual void SetProgressPos(int pos) = 0;
    virtual void StepProgress() = 0;  // one step; may be coalesced
    virtual void UpdateByteCount() = 0;
    // Enables the progress bar, Transfer Configuration, the baud and port lists
    // and Exit, in that order.
    virtual void EnableControls() = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // Waits until the user has closed the box.
    virtual void ShowMessageBox(const std::string& text, const std::string& caption) = 0;
    virtual void PostTransferStep() = 0;
    virtual void PostTransferCount() = 0;
    virtual void PostTransferDone() = 0;

    // Writes each character with WriteByte, stepping the progress once per byte.
    // Stops at the first byte that the port rejects (GetLastErrorNumber() != 0):
    // the device is gone and the rest of the line could not arrive either.
    void SendLine(const std::string& line);

    // -- the worker ------------------------------------------------------------
    // Interface thread. Joins a previous worker first, so that two workers never
    // share m_port; then raises m_bRunning, clears m_bAbort, m_bUploadDone and
    // m_eOutcome, and starts DownloadThreadProc (m_nMode 0) or UploadThreadProc
    // (m_nMode 1) at the highest priority the system grants. Raising the flags
    // here rather than in the worker means an Exit or Cancel that comes before
    // the thread has run is neither lost nor able to end the dialog under a live
    // worker. False (and m_bRunning clear) when no thread could be started.
    bool StartWorker();
    // Waits for the worker's thread to end. Call once m_bRunning has fallen (the
    // worker then makes no more UI calls), or from a thread that is not serving
    // the worker's UI calls.
    void JoinWorker();
    // Asks the worker to stop and joins it. Not for a thread that serves the
    // worker's UI calls while they are pending.
    void StopWorker();

    // -- the configuration held across an upload -------------------------------
    // Interface thread, before StartWorker in upload mode: empties g_recordList
    // and keeps its records and copies of the document's header and end record
    // (and its modified flag), replacing any copy kept before.
    void BeginUpload();
    // Puts the configuration kept by BeginUpload back in place, exactly as it
    // was; does nothing when nothing is kept. The upload worker calls it when it
    // got no answer; Exit and Cancel call it (through EndSession) after an
    // upload that was cancelled.
    void RestoreConfiguration();
    // Forgets the kept configuration: what the upload received stays.
    void DiscardSnapshot();
    bool HasSnapshot() const { return m_bHaveSnapshot; }

    // Exit and Cancel, once m_bRunning has fallen: joins the worker, puts back
    // the configuration of an upload that did not reach its end, closes the port.
    void EndSession();

    // -- used by the workers ---------------------------------------------------
    // Opens m_port on m_strDevice, or on port m_nPort when no device is set. On
    // failure adds "Cannot open port <name>: <reason>." and a hint where one
    // helps to the status list.
    bool OpenPort();
    // "COM1 (/dev/ttyS0)" for a numbered port, the path for a device path.
    std::string PortDescription() const;
    // Waits until what was written has left the port, then pauses `ms`, so the
    // pause is a gap on the wire after the last byte.
    void Pause(int ms);

    // -- state shared with the worker -----------------------------------------
    ISerialPort& m_port;
    CQARNCfgDoc* m_pDoc = nullptr;
    int m_nMode = 0;          // 0 download, 1 upload
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

private:
    CTransferThread m_thread;
    bool m_bHaveSnapshot = false;
    CRecordList::Storage m_savedRecords;
    std::optional<Cs0Header> m_savedHeader;
    std::optional<Cs7EndRecord> m_savedEndRecord;
    bool m_bSavedModified = false;
};

#pragma once

#include "serial/ISerialPort.h"
#include "transfer/CTransferTiming.h"

#include <atomic>
#include <string>

class CQARNCfgDoc;

// The state of one transfer and the one small interface through which the
// download and upload workers reach whoever shows it: the transfer dialog, the
// command-line tool or a test.
//
// The UI calls are made from the worker thread; each returns once the user
// interface has handled it. The Post* calls return at once.
class CTransferHost {
public:
    explicit CTransferHost(ISerialPort& port) : m_port(port) {}
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
    void SendLine(const std::string& line);

    // -- state shared with the worker -----------------------------------------
    ISerialPort& m_port;
    CQARNCfgDoc* m_pDoc = nullptr;
    int m_nMode = 0;            // 0 download, 1 upload
    int m_nPort = 1;            // 1-based, used when m_strDevice is empty
    std::string m_strDevice;    // an explicit device path
    int m_nBaudRate = 9600;
    std::string m_strTitle;
    CTransferTiming m_timing;

    std::atomic<bool> m_bAbort{false};
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bUploadDone{false};
    std::atomic<int> m_nTotal{0};
};

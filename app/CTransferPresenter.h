#pragma once

#include "app/CCompareReport.h"
#include "app/CPortListModel.h"
#include "app/IPrompter.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/transfer/CTransferRequest.h"
#include "core/transfer/CTransferSession.h"
#include "core/transfer/CTransferView.h"

#include <atomic>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class CSystemContext;
class ISerialPort;
class ITransferDialog;

// What the transfer dialog decides: its state (Ready, Running, Finished,
// Closing) and which controls each enables, its status lines and questions,
// the byte counter, the port and baud lists and what a choice in them does,
// and how Exit and Cancel stop a running transfer. The window it drives only
// draws and hands calls over to its interface thread.
//
// The worker reports to the presenter through CTransferView, on its own
// thread; the presenter hands each update to the interface thread in the
// order it came and, but for the posted ones, waits until it has been drawn.
class CTransferPresenter : public CTransferView {
public:
    static constexpr const char* kCaption = "Tovrik - QARN Data Backup/Restore";
    // Exit and Cancel look at the worker this often while they wait for it.
    static constexpr int kCloseWaitMs = 1000;

    CTransferPresenter(ITransferDialog& dialog, IPrompter& prompter, CSystemContext& context,
                       ISerialPort& port);
    // The worker refers to the presenter until it ends.
    ~CTransferPresenter() override;
    CTransferPresenter(const CTransferPresenter&) = delete;
    CTransferPresenter& operator=(const CTransferPresenter&) = delete;

    // -- what the window calls on its interface thread -------------------------
    // The dialog opens for the document in the mode's direction. bCompare:
    // an upload that reads the device's configuration aside, for a compare;
    // the document stays exactly as it was.
    void OnInitDialog(CQARNCfgDoc& doc, ETransferMode eMode, bool bCompare = false);
    void OnStartTransfer();
    // A row of the port list (the one after the entries is "Other…").
    void OnSelchangePort(int row);
    // The port list is about to open: its entries are made anew.
    void OnPortListOpening();
    void OnSelchangeBaudrate(int row);
    // Exit.
    void OnOK();
    // Cancel, Esc and the close box.
    void OnCancel();

    // The baud rate of the baud list's entry at the document's m_nBaudIndex;
    // 0 when that index names no entry.
    int GetSelectedBaud() const;
    // Pauses shorter than the device's, for tests and benchmarks.
    void SetTiming(const CTransferTiming& timing) { m_request.timing = timing; }
    const CTransferRequest& Request() const { return m_request; }
    const CTransferSession& Session() const { return m_session; }
    // A compare's read: what the last one that ended whole received.
    std::optional<CCompareReport> TakeCompared() { return std::exchange(m_compared, {}); }

    // -- what the worker calls on its thread -----------------------------------
    void AddStatus(const std::string& line) override;
    void InsertStatus(int index, const std::string& line) override;
    void SetProgressPos(int pos) override;
    void StepProgress() override;
    void UpdateByteCount(int nTotal) override;
    void EnableControls() override;
    void SetCaption(const std::string& caption) override;
    void ShowMessageBox(const std::string& text, const std::string& caption) override;
    void PostTransferStep() override;
    void PostTransferCount() override;
    void PostTransferDone() override;
    void PostTransferEnded() override;
    void PortNotOpened(const CPortChoice& port, std::error_code error) override;

private:
    void ShowPortList();
    // Takes the port unless it is the system console; says what stands in the
    // way of using it.
    void ChoosePort(const CPortChoice& port, const CSerialPortInfo& info);
    void OnOtherPort();
    // Download: the configuration is whole, or the user wants it sent anyway.
    bool ConfirmDownload();
    // A transfer that was not started: says so, and hands the focus to Exit.
    void NotStarted(const std::string& line);
    void SetTransferControlsEnabled(bool bEnabled);
    // Once the worker has ended, or has posted its end (bWorkerDone): what its
    // end asks of the user.
    void OnTransferEnded(bool bWorkerDone = false);
    void AskToKeepReceived();
    // A compare's read that ended: keeps what it received when it is whole.
    void OnCompareRead();
    // Marks the dialog as closing and asks a running worker to stop; false when
    // it is closing already. bAborts: the request aborts the transfer (it does
    // not once a download has sent its end line).
    bool BeginClosing(bool& bWasRunning, bool& bAborts);
    // Serves the worker's calls in steps of nStepMs until it has ended; at
    // least one step when bAtLeastOnce is set.
    void WaitForWorker(int nStepMs, bool bAtLeastOnce);
    void EndDialog();
    void Tell(const std::string& text, const std::string& caption,
              EBoxIcon eIcon = EBoxIcon::Information);
    void ShowByteCount(int nTotal);
    // Progress steps come once a byte; they are counted here and reach the bar
    // in batches, and before any other update, so that the order is kept.
    void QueueStep();
    void FlushSteps();

    ITransferDialog& m_dialog;
    IPrompter& m_prompter;
    CSystemContext& m_context;
    ISerialPort& m_port;
    CTransferSession m_session;

    CQARNCfgDoc* m_pDoc = nullptr;
    CTransferRequest m_request;
    std::string m_strCaption = kCaption;
    std::vector<CPortEntry> m_entries;
    int m_nPortRow = 0;
    int m_nProgressUpper = 0;
    bool m_bClosing = false;
    bool m_bEndPending = false;  // a started transfer whose end was not yet handled
    unsigned m_nTransfer = 0;    // counts the transfers started
    std::atomic<int> m_nPendingSteps{0};
    std::optional<CCompareReport> m_compared;
};

#pragma once

#include <functional>
#include <string>
#include <vector>

struct CPortEntry;

// The posted calls that stand for the dialog's own three reports from the
// worker: a batch of progress steps, a new byte count, and the end of the data
// (the bar full).
enum class EPostedReport { Step, Count, Done };

// The controls of the transfer dialog that change while it is open.
struct CDialogControls {
    bool bTransfer = true;  // Transfer Configuration
    bool bBaudRate = true;
    bool bPort = true;
    bool bExit = true;
};

// What the transfer dialog's window does for its presenter: it draws what it
// is told and hands calls over to its interface thread. Everything but the
// hand-over runs on the interface thread.
class ITransferDialog {
public:
    virtual ~ITransferDialog() = default;

    virtual void SetCaption(const std::string& caption) = 0;
    virtual void AddStatusLine(const std::string& line) = 0;
    virtual void InsertStatusLine(int index, const std::string& line) = 0;
    virtual void ClearStatusLines() = 0;
    // The progress bar runs from 0 to `upper`.
    virtual void SetProgressRange(int upper) = 0;
    virtual void SetProgressPos(int pos) = 0;
    // `steps` steps of one; past the end the bar starts again from 0.
    virtual void StepProgress(int steps) = 0;
    virtual void SetByteCount(const std::string& text) = 0;
    virtual void EnableControls(const CDialogControls& enabled) = 0;
    // The port list: its entries, then "Other…"; `selected` indexes them.
    virtual void ShowPorts(const std::vector<CPortEntry>& entries, int selected) = 0;
    virtual void ShowBaudRates(const std::vector<std::string>& rates, int selected) = 0;
    // The focus and the default button go to Exit.
    virtual void FocusExit() = 0;
    virtual void EndDialog() = 0;

    // -- the hand-over ---------------------------------------------------------
    // Runs `call` on the interface thread and returns once it has run; at once
    // when already there.
    virtual void Invoke(const std::function<void()>& call) = 0;
    // Runs `call` on the interface thread later, unless the dialog is gone by
    // then; returns at once.
    virtual void Post(std::function<void()> call) = 0;
    // Post, for a call that is one of the three reports: a window that names
    // its messages after them tells them apart here.
    virtual void PostReport(EPostedReport /*eReport*/, std::function<void()> call) {
        Post(std::move(call));
    }
    // Handles the interface thread's events, without user input, for `ms`.
    virtual void ServeFor(int ms) = 0;
};

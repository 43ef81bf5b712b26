#pragma once

#include <string>
#include <system_error>

class CPortChoice;

// What a transfer shows to whoever follows it: the transfer dialog, the
// command-line tool or a test. A front end overrides what it shows; the rest
// does nothing.
//
// The worker makes these calls on its own thread. Each returns once the front
// end has handled it, except the Post* calls, which return at once.
class CTransferView {
public:
    virtual ~CTransferView() = default;

    virtual void AddStatus(const std::string& /*line*/) {}
    virtual void InsertStatus(int /*index*/, const std::string& /*line*/) {}
    virtual void SetProgressPos(int /*pos*/) {}
    virtual void StepProgress() {}  // one step; may be coalesced
    virtual void UpdateByteCount(int /*nTotal*/) {}
    // Enables the progress bar, Transfer Configuration, the baud and port lists
    // and Exit, in that order.
    virtual void EnableControls() {}
    virtual void SetCaption(const std::string& /*caption*/) {}
    // Waits until the user has closed the box.
    virtual void ShowMessageBox(const std::string& /*text*/, const std::string& /*caption*/) {}
    virtual void PostTransferStep() {}
    virtual void PostTransferCount() {}
    virtual void PostTransferDone() {}
    // The worker's last call, made after it let go of the port and just before
    // m_bRunning falls; whatever it posts must not run once the view is gone.
    virtual void PostTransferEnded() {}
    // The port could not be opened; the transfer ends without a byte sent.
    virtual void PortNotOpened(const CPortChoice& /*port*/, std::error_code /*error*/) {}
};

#pragma once

#include "app/CPortListModel.h"
#include "app/ITransferDialog.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The transfer dialog's window without a window, for the presenter's tests: it
// writes down what it is told to draw, and its interface thread is the thread
// that made it. A call handed over from another thread waits in a queue until
// that thread serves it in ServeFor or ServeUntil; Invoke blocks the caller
// until then, Post does not.
class CFakeTransferDialog : public ITransferDialog {
public:
    CFakeTransferDialog() : m_uiThread(std::this_thread::get_id()) {}
    ~CFakeTransferDialog() override;
    CFakeTransferDialog(const CFakeTransferDialog&) = delete;
    CFakeTransferDialog& operator=(const CFakeTransferDialog&) = delete;

    void SetCaption(const std::string& caption) override { m_strCaption = caption; }
    void AddStatusLine(const std::string& line) override { m_status.push_back(line); }
    void InsertStatusLine(int index, const std::string& line) override;
    void ClearStatusLines() override { m_status.clear(); }
    void SetProgressRange(int upper) override;
    void SetProgressPos(int pos) override;
    void StepProgress(int steps) override;
    void SetByteCount(const std::string& text) override { m_strBytes = text; }
    void EnableControls(const CDialogControls& enabled) override { m_controls = enabled; }
    void ShowPorts(const std::vector<CPortEntry>& entries, int selected) override;
    void ShowBaudRates(const std::vector<std::string>& rates, int selected) override;
    void FocusExit() override { ++m_nExitFocused; }
    void EndDialog() override { m_bEnded = true; }
    void Invoke(const std::function<void()>& call) override;
    void Post(std::function<void()> call) override;
    // Serves the calls handed over for `ms`; the time is added to m_nServedMs.
    void ServeFor(int ms) override;

    // Serves the calls handed over until `done` holds, for at most
    // `timeoutMs`; true when it held.
    bool ServeUntil(const std::function<bool()>& done, int timeoutMs = 10000);
    // No call handed over waits to be served.
    bool Idle();

    // The entries' texts, as the open list shows them, "Other…" last.
    std::vector<std::string> PortTexts() const;
    // The entry the closed list shows.
    std::string ShownPort() const;

    std::string m_strCaption;
    std::vector<std::string> m_status;
    int m_nProgressUpper = 0;
    int m_nProgressPos = 0;
    bool m_bProgressWrapped = false;  // a step went past the end of the bar
    std::string m_strBytes;
    CDialogControls m_controls;
    std::vector<CPortEntry> m_ports;
    int m_nPortRow = -1;
    std::vector<std::string> m_baudRates;
    int m_nBaudRow = -1;
    int m_nExitFocused = 0;
    bool m_bEnded = false;
    int m_nServedMs = 0;
    // A call posted from another thread waits, as Invoke does, until it has
    // been served: the interface thread then handles each event the moment
    // it is posted, the one order that posts and flags written after them
    // must survive.
    bool m_bServePostsAtOnce = false;

private:
    struct CCall {
        std::function<void()> call;
        bool* pDone = nullptr;  // set once served, for a caller that waits
    };
    void HandOver(std::function<void()> call, bool bWait);

    const std::thread::id m_uiThread;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_served;
    std::deque<CCall> m_calls;
};

#pragma once

#include "transfer/CTransferRequest.h"
#include "transfer/CTransferSession.h"
#include "transfer/CTransferView.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// A transfer view that plays the user interface by writing down every call the
// worker makes, in order. Each UI call is logged as one short text:
//   "status:<line>", "insert:<i>:<line>", "pos:<n>", "count:<total>",
//   "enable", "caption:<text>", "box:<caption>|<text>", "done"
// A port that could not be opened shows as the status lines the dialog words.
// Per-byte calls (StepProgress, PostTransferStep) and PostTransferCount are only
// counted; PostTransferEnded is not recorded.
class CRecordingView : public CTransferView {
public:
    void AddStatus(const std::string& line) override;
    void InsertStatus(int index, const std::string& line) override;
    void SetProgressPos(int pos) override;
    void StepProgress() override;
    void UpdateByteCount(int nTotal) override;
    void EnableControls() override;
    void SetCaption(const std::string& caption) override;
    void ShowMessageBox(const std::string& text, const std::string& caption) override;
    void PortNotOpened(const CPortChoice& port, std::error_code error) override;
    void PostTransferStep() override;
    void PostTransferCount() override { ++m_nPostedCounts; }
    void PostTransferDone() override;

    std::vector<std::string> Log() const;
    // The status list as the dialog would show it.
    std::vector<std::string> StatusList() const;
    // Called (on the worker thread) after each logged event.
    std::function<void(const std::string& event)> m_onEvent;
    // Called (on the worker thread) after each StepProgress with their count.
    std::function<void(int nSteps)> m_onStep;
    // Called (on the worker thread) after each PostTransferStep with their count.
    std::function<void(int nPostedSteps)> m_onPostedStep;

    std::atomic<int> m_nSteps{0};
    std::atomic<int> m_nPostedSteps{0};
    std::atomic<int> m_nPostedCounts{0};

private:
    void Record(const std::string& event);

    mutable std::mutex m_mutex;
    std::vector<std::string> m_log;
    std::vector<std::string> m_status;
};

// A transfer whose view records every call: the session and its view in one
// object, as a test drives them, with the request it starts with (the tests'
// short pauses by default). Defined in CRecordingHost.cpp, so that a program
// that only needs the view does without the tests' configurations.
class CRecordingHost : public CRecordingView, public CTransferSession {
public:
    explicit CRecordingHost(ISerialPort& port);
    ~CRecordingHost() override;
    CRecordingHost(const CRecordingHost&) = delete;
    CRecordingHost& operator=(const CRecordingHost&) = delete;

    // Starts the worker on `doc` with m_request, as the dialog does.
    [[nodiscard]] bool Start(CQARNCfgDoc& doc) { return CTransferSession::Start(doc, m_request); }
    // Starts it and waits for its end, at most `timeoutMs`; true when it ended.
    [[nodiscard]] bool RunToEnd(CQARNCfgDoc& doc, int timeoutMs = 4000);

    CTransferRequest m_request;
};

#pragma once

#include "tests/support/CPtyPair.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

// The device end of a pseudo-terminal for dialog tests: it keeps reading what
// the dialog's worker sends, and can answer an upload request.
class CTestDevice {
public:
    CTestDevice();
    ~CTestDevice();
    CTestDevice(const CTestDevice&) = delete;
    CTestDevice& operator=(const CTestDevice&) = delete;

    bool Ok() const { return m_pty.Ok(); }
    const std::string& Error() const { return m_pty.Error(); }
    // What the dialog opens as its port.
    const std::string& Path() const { return m_pty.SlavePath(); }
    std::string Received() const;

    // Once "#CD\r\n" has arrived, sends `answer`, one byte every `byteGapMs`
    // (all at once for 0).
    void AnswerUpload(const std::string& answer, int byteGapMs = 0);

private:
    void Loop();

    CPtyPair m_pty;
    mutable std::mutex m_mutex;
    std::string m_received;
    std::string m_answer;
    int m_nByteGapMs = 0;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};

#pragma once

#include "support/CPtyPair.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A scripted QARN device on the master side of a pseudo-terminal. A thread
// collects every byte the program sends; once the upload request "#CD\r\n" has
// arrived it plays the answer: each step waits, then sends its bytes or, with
// `unplug`, hangs up the line.
class CPtyDevice {
public:
    struct Step {
        int delayMs;
        std::string bytes;
        bool unplug = false;
    };
    using Clock = std::chrono::steady_clock;

    // Called on the device thread whenever bytes arrive, with all of them so far.
    using ReceiveHook = std::function<void(CPtyDevice& device, const std::string& received)>;

    explicit CPtyDevice(std::vector<Step> answer = {}, ReceiveHook onReceive = {});
    ~CPtyDevice();
    CPtyDevice(const CPtyDevice&) = delete;
    CPtyDevice& operator=(const CPtyDevice&) = delete;

    bool Ok() const { return m_bOk; }
    const std::string& Error() const { return m_pty.Error(); }
    const std::string& Path() const { return m_pty.SlavePath(); }
    // Replaces the answer to the upload request, before the request arrives:
    // all of it at once, or one byte every `byteGapMs`.
    void AnswerUpload(const std::string& answer, int byteGapMs = 0);
    // Hangs up: the program's port sees the device gone. Waits until done.
    void Unplug();
    // The same from the receive hook: takes effect as the hook returns.
    void RequestUnplug() { m_bUnplug = true; }

    // Everything received so far.
    std::string Received() const;
    // Waits until at least `count` bytes have arrived (false on time-out).
    bool WaitForBytes(std::size_t count, int timeoutMs) const;
    // When the byte at `index` of what was received arrived.
    Clock::time_point ArrivalOf(std::size_t index) const;

private:
    void Run();

    CPtyPair m_pty;
    const bool m_bOk;
    std::vector<Step> m_answer;
    ReceiveHook m_onReceive;
    mutable std::mutex m_mutex;
    std::string m_received;
    std::vector<Clock::time_point> m_arrivals;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bUnplug{false};
    std::atomic<bool> m_bUnplugged{false};
    std::thread m_thread;
};

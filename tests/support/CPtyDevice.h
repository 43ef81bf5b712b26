#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A pseudo-terminal whose master side plays the QARN device: Path() is what
// the code under test opens as its serial port. A thread collects every byte
// sent to the device as it arrives; once the upload request "#CD\r\n" has come
// it plays the answer: each step waits, then sends its bytes or, with
// `unplug`, hangs up the line. A test can also send from the device side at
// any time, and look at the terminal's settings through SlaveFd().
//
// The terminal is raw (no echo, no CR/LF translation, no flow control) unless
// made Cooked, which keeps the system's defaults. The device holds a slave
// descriptor of its own, so that it neither loses queued bytes nor sees a
// hang-up while the port under test is closed; CloseSlave() gives it up.
class CPtyDevice {
public:
    struct Step {
        int delayMs;
        std::string bytes;
        bool unplug = false;
    };
    enum class ETerminal { Raw, Cooked };

    // Called on the device thread whenever bytes arrive, with all of them so far.
    using ReceiveHook = std::function<void(CPtyDevice& device, const std::string& received)>;

    explicit CPtyDevice(std::vector<Step> answer = {}, ReceiveHook onReceive = {},
                        ETerminal terminal = ETerminal::Raw);
    ~CPtyDevice();
    CPtyDevice(const CPtyDevice&) = delete;
    CPtyDevice& operator=(const CPtyDevice&) = delete;

    // False when the pseudo-terminal could not be made; Error() says why.
    bool Ok() const { return m_nSlave >= 0; }
    const std::string& Error() const { return m_strError; }
    const std::string& Path() const { return m_strPath; }
    int SlaveFd() const { return m_nSlave; }

    // Replaces the answer to the upload request, before the request arrives:
    // all of it at once, or one byte every `byteGapMs`.
    void AnswerUpload(const std::string& answer, int byteGapMs = 0);
    // Sends bytes from the device side; true when all of them were written.
    bool Send(const std::string& bytes);
    // From now on the device reads nothing: what the port sends piles up
    // until the terminal takes no more. Waits until the device has stopped.
    void StopListening();
    // Hangs up: the program's port sees the device gone. Waits until done.
    void Unplug();
    // The same from the receive hook: takes effect as the hook returns.
    void RequestUnplug() { m_bUnplug = true; }
    void CloseSlave();

    // Everything received so far.
    std::string Received() const;
    // Waits until at least `count` bytes have arrived (false on time-out).
    bool WaitForBytes(std::size_t count, int timeoutMs = 5000) const;

private:
    void Run();
    // What arrived within `timeoutMs`, or at once when bytes are waiting.
    std::string ReadAvailable(int timeoutMs);
    void PlayAnswer();

    std::atomic<int> m_nMaster{-1};
    int m_nSlave = -1;
    std::string m_strPath;
    std::string m_strError;
    std::vector<Step> m_answer;
    ReceiveHook m_onReceive;
    mutable std::mutex m_mutex;
    std::string m_received;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bUnplug{false};
    std::atomic<bool> m_bUnplugged{false};
    std::atomic<bool> m_bDeaf{false};
    std::atomic<bool> m_bDeafened{false};
    std::thread m_thread;
};

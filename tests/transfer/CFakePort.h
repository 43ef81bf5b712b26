#pragma once

#include "serial/ISerialPort.h"

#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

// A serial port without a device behind it, for what a pseudo-terminal cannot
// show. Written bytes wait in an output queue until Drain() or Close() puts them
// "on the wire", so a caller that pauses without draining first shows up as a
// pause before its bytes went out. Open can be made to fail with a chosen
// errno, writes can be made to fail after a number of bytes, and an answer can
// be played back once the upload request has been written.
class CFakePort : public ISerialPort {
public:
    using Clock = std::chrono::steady_clock;

    // Bytes that reached the wire together, at one drain.
    struct WireChunk {
        Clock::time_point drainedAt;
        Clock::time_point firstWrittenAt;
        std::string bytes;
    };
    // Bytes that become readable `delayMs` after the previous chunk (the first
    // one after the request "#CD\r\n" has been written).
    struct AnswerChunk {
        int delayMs;
        std::string bytes;
    };

    int m_nOpenError = 0;         // Open/OpenDevice fail with this errno when set
    long m_nFailAfterBytes = -1;  // writes after this many bytes fail with EIO
    std::vector<AnswerChunk> m_answer;

    bool Open(int port, int baud) override;
    bool OpenDevice(const std::string& device, int baud) override;
    bool Close() override;
    bool IsOpen() const override { return m_bOpen; }
    bool WriteByte(int byte) override;
    char ReadByte() override;
    int Write(const char* buf, int len) override;
    int GetInQueue() override;
    bool Drain() override;
    int GetLastErrorNumber() const override { return m_nLastError; }
    std::string GetLastErrorText() const override;
    std::string GetDeviceName() const override { return m_strDevice; }

    std::vector<WireChunk> Wire() const;
    std::string WireBytes() const;
    int OpenCount() const { return m_nOpens; }
    // True once Open was called while the port was already open.
    bool OpenedWhileOpen() const { return m_bOpenedWhileOpen; }
    int Baud() const { return m_nBaud; }

private:
    void ReleaseDueAnswer();
    void DrainLocked();

    mutable std::mutex m_mutex;
    bool m_bOpen = false;
    int m_nOpens = 0;
    bool m_bOpenedWhileOpen = false;
    int m_nBaud = 0;
    int m_nLastError = 0;
    long m_nWritten = 0;
    std::string m_strDevice;
    std::string m_pending;
    Clock::time_point m_pendingSince;
    std::vector<WireChunk> m_wire;
    std::string m_sent;  // everything written, to spot the request
    bool m_bAnswering = false;
    std::size_t m_nNextAnswer = 0;
    Clock::time_point m_nextAnswerAt;
    std::deque<char> m_rx;
};

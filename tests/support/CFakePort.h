#pragma once

#include "serial/ISerialPort.h"

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

// A serial port without a device behind it, for what a pseudo-terminal cannot
// show or a fuzzer needs fast. Written bytes wait in an output queue until a
// drain or the close puts them "on the wire", so a caller that pauses without
// draining first shows up as a pause before its bytes went out. Open can be
// made to fail with a chosen error, and writes to fail after a number of
// bytes. The device answers "#CD" with a set answer, all of it waiting at
// once, and then falls silent.
class CFakePort : public ISerialPort {
public:
    using Clock = std::chrono::steady_clock;

    // Bytes that reached the wire together, at one drain.
    struct WireChunk {
        Clock::time_point drainedAt;
        Clock::time_point firstWrittenAt;
        std::string bytes;
    };

    CFakePort() = default;
    explicit CFakePort(std::string answer) : m_answer(std::move(answer)) {}
    ~CFakePort() override;

    std::error_code m_openError;  // OpenDevice fails with this error when set
    long m_nFailAfterBytes = -1;  // writes after this many bytes fail with EIO

    std::vector<WireChunk> Wire() const;
    // Every byte written, on the wire or not yet.
    std::string WireBytes() const;
    std::size_t AnswerBytesRead() const;
    int OpenCount() const;

    bool IsOpen() const override;

protected:
    [[nodiscard]] std::error_code OpenDevice(const std::string& device, int baud) override;
    void CloseDevice() override;
    [[nodiscard]] std::error_code PutByte(unsigned char byte) override;
    [[nodiscard]] std::error_code GetByte(unsigned char& byte, bool& got) override;
    [[nodiscard]] std::error_code CountInput(int& count) override;
    [[nodiscard]] std::error_code DiscardInput() override;
    [[nodiscard]] std::error_code WaitUntilSent() override;

private:
    void DrainLocked();
    // The answer waits once the request for it has gone out.
    bool AnswerRequested() const;

    mutable std::mutex m_mutex;
    bool m_bOpen = false;
    int m_nOpens = 0;
    long m_nWritten = 0;
    std::string m_written;
    std::string m_pending;
    Clock::time_point m_pendingSince;
    std::vector<WireChunk> m_wire;
    std::string m_answer;
    std::size_t m_nAnswerRead = 0;
};

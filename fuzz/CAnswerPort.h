#pragma once

#include "serial/ISerialPort.h"

#include <cstddef>
#include <string>
#include <utility>

// A serial port whose device has its whole answer waiting as soon as the
// request has gone out, and then falls silent: every read takes the next byte
// at once, and once the answer is used up the input queue stays empty. Written
// bytes are kept.
class CAnswerPort : public ISerialPort {
public:
    explicit CAnswerPort(std::string answer) : m_answer(std::move(answer)) {}

    bool Open(int /*port*/, int /*baud*/) override { return m_bOpen = true; }
    bool OpenDevice(const std::string& /*device*/, int /*baud*/) override { return m_bOpen = true; }
    bool Close() override;
    bool IsOpen() const override { return m_bOpen; }
    bool WriteByte(int byte) override;
    char ReadByte() override;
    int Write(const char* buf, int len) override;
    int GetInQueue() override;
    // Nothing has arrived before the request, so there is nothing to throw away.
    bool FlushInput() override { return m_bOpen; }
    bool Drain() override { return true; }
    std::error_code GetLastError() const override { return {}; }
    std::string GetDeviceName() const override { return "answer"; }

    const std::string& Written() const { return m_written; }
    std::size_t BytesRead() const { return m_nRead; }

private:
    std::string m_answer;
    std::size_t m_nRead = 0;
    std::string m_written;
    bool m_bOpen = false;
};

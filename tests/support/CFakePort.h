#pragma once

#include "serial/ISerialPort.h"

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

// A serial port without a device behind it, for what a pseudo-terminal cannot
// show. Written bytes wait in an output queue until Drain() or Close() puts them
// "on the wire", so a caller that pauses without draining first shows up as a
// pause before its bytes went out. Open can be made to fail with a chosen
// errno, and writes can be made to fail after a number of bytes. Nothing is
// ever received.
class CFakePort : public ISerialPort {
public:
    using Clock = std::chrono::steady_clock;

    // Bytes that reached the wire together, at one drain.
    struct WireChunk {
        Clock::time_point drainedAt;
        Clock::time_point firstWrittenAt;
        std::string bytes;
    };

    std::error_code m_openError;  // Open/OpenDevice fail with this error when set
    long m_nFailAfterBytes = -1;  // writes after this many bytes fail with EIO

    bool Open(int port, int baud) override;
    bool OpenDevice(const std::string& device, int baud) override;
    bool Close() override;
    bool IsOpen() const override { return m_bOpen; }
    bool WriteByte(int byte) override;
    char ReadByte() override { return 0; }
    int Write(const char* buf, int len) override;
    int GetInQueue() override { return 0; }
    bool FlushInput() override { return m_bOpen; }
    bool Drain() override;
    std::error_code GetLastError() const override { return m_lastError; }
    std::string GetDeviceName() const override { return m_strDevice; }

    std::vector<WireChunk> Wire() const;
    std::string WireBytes() const;
    int OpenCount() const { return m_nOpens; }
    // True once Open was called while the port was already open.
    bool OpenedWhileOpen() const { return m_bOpenedWhileOpen; }

private:
    void DrainLocked();

    mutable std::mutex m_mutex;
    bool m_bOpen = false;
    int m_nOpens = 0;
    bool m_bOpenedWhileOpen = false;
    std::error_code m_lastError;
    long m_nWritten = 0;
    std::string m_strDevice;
    std::string m_pending;
    Clock::time_point m_pendingSince;
    std::vector<WireChunk> m_wire;
};

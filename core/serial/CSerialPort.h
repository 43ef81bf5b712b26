#pragma once

#include <string>

#include "platform/CSerialDevice.h"
#include "serial/ISerialPort.h"

// The serial line to the QARN device: one port at a time, opened exclusively at
// 8 data bits and no parity, moved one byte at a time. No byte operation waits
// longer than kByteTimeoutMs; reads never wait for data.
//
// Operations on a closed port do nothing and leave the last error alone, so
// that the reason an Open failed stays readable afterwards.
// One object is used by one thread at a time.
class CSerialPort : public ISerialPort {
public:
    static constexpr int kByteTimeoutMs = 1000;

    CSerialPort() = default;
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    bool Open(int port, int baud) override;
    // Already open: true, and the port keeps its device and baud rate.
    bool OpenDevice(const std::string& device, int baud) override;
    // Waits for queued output as Drain() does, then drops what is left; true.
    bool Close() override;
    bool IsOpen() const override { return m_bOpen; }

    bool WriteByte(int byte) override;
    char ReadByte() override;
    int Write(const char* buf, int len) override;
    int GetInQueue() override;
    // False on a closed port and when the device fails.
    bool FlushInput() override;
    // False on a closed port, on time-out and when the device fails.
    bool Drain() override;

    std::error_code GetLastError() const override { return m_lastError; }
    std::string GetDeviceName() const override { return m_strDevice; }
    int GetBaudRate() const { return m_nBaud; }

private:
    void Fail(std::error_code err) {
        if (err) {
            m_lastError = err;
        }
    }

    CSerialDevice m_device;
    bool m_bOpen = false;
    int m_nBaud = 0;
    std::error_code m_lastError;
    std::string m_strDevice;
};

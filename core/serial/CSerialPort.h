#pragma once

#include "platform/CSerialDevice.h"
#include "serial/ISerialPort.h"

// The serial line to the QARN device: one port at a time, opened exclusively at
// 8 data bits and no parity, moved one byte at a time. No byte operation waits
// longer than kByteTimeoutMs; reads never wait for data.
class CSerialPort : public ISerialPort {
public:
    static constexpr int kByteTimeoutMs = 1000;

    // `paths` say where the system consoles are listed, which the port refuses.
    explicit CSerialPort(const CSystemPaths& paths = {}) : m_device(paths) {}
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    int GetBaudRate() const { return m_nBaud; }

    bool IsOpen() const override { return m_device.IsOpen(); }

protected:
    [[nodiscard]] std::error_code OpenDevice(const std::string& device, int baud) override;
    // Waits for queued output as WaitUntilSent() does, then drops what is left.
    void CloseDevice() override;
    [[nodiscard]] std::error_code PutByte(unsigned char byte) override;
    [[nodiscard]] std::error_code GetByte(unsigned char& byte, bool& got) override;
    [[nodiscard]] std::error_code CountInput(int& count) override;
    [[nodiscard]] std::error_code DiscardInput() override;
    [[nodiscard]] std::error_code WaitUntilSent() override;

private:
    CSerialDevice m_device;
    int m_nBaud = 0;
};

#include "core/serial/CSerialPort.h"

#include <chrono>
#include <thread>

CSerialPort::~CSerialPort() {
    CSerialPort::Close();
}

std::error_code CSerialPort::OpenDevice(const std::string& device, int baud) {
    if (const std::error_code err = m_device.Open(device, baud)) {
        return err;
    }
    m_nBaud = baud;
    return {};
}

void CSerialPort::CloseDevice() {
    // What has left the port stays with the peer; only a line that did not
    // drain in time has its unsent bytes dropped.
    m_device.Close(static_cast<bool>(WaitUntilSent()));
}

std::error_code CSerialPort::PutByte(unsigned char byte) {
    return m_device.WriteByte(byte, kByteTimeoutMs);
}

std::error_code CSerialPort::GetByte(unsigned char& byte, bool& got) {
    return m_device.ReadByte(byte, got);
}

std::error_code CSerialPort::CountInput(int& count) {
    return m_device.InQueue(count);
}

std::error_code CSerialPort::DiscardInput() {
    return m_device.FlushInput();
}

std::error_code CSerialPort::WaitUntilSent() {
    int queued = 0;
    if (const std::error_code err = m_device.OutQueue(queued)) {
        return err;
    }
    // Ten bits a byte on the line, plus the same second that one byte may take.
    const long long limitMs = static_cast<long long>(queued) * 10 * 1000 / m_nBaud + kByteTimeoutMs;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (queued > 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::make_error_code(std::errc::timed_out);
        }
        // A fine poll: every pause of the transfer starts when the line has
        // drained, and a coarse one would stretch each of them.
        std::this_thread::sleep_for(std::chrono::microseconds(100));
        if (const std::error_code err = m_device.OutQueue(queued)) {
            return err;
        }
    }
    return {};
}

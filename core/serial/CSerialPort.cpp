#include "serial/CSerialPort.h"

#include <chrono>
#include <thread>

#include "serial/CPortMap.h"

CSerialPort::~CSerialPort() {
    CSerialPort::Close();
}

bool CSerialPort::Open(int port, int baud) {
    if (m_bOpen) {
        return true;
    }
    return OpenDevice(CPortMap::DeviceFor(port), baud);
}

bool CSerialPort::OpenDevice(const std::string& device, int baud) {
    if (m_bOpen) {
        return true;
    }
    m_strDevice = device;
    m_lastError.clear();
    const std::error_code err = m_device.Open(device, baud);
    if (err) {
        Fail(err);
        return false;
    }
    m_nBaud = baud;
    m_bOpen = true;
    return true;
}

bool CSerialPort::Close() {
    if (!m_bOpen) {
        return true;
    }
    // What has left the port stays with the peer; only a line that did not
    // drain in time has its unsent bytes dropped.
    m_device.Close(!Drain());
    m_bOpen = false;
    return true;
}

bool CSerialPort::WriteByte(int byte) {
    if (!m_bOpen) {
        return true;
    }
    Fail(m_device.WriteByte(static_cast<unsigned char>(byte & 0xFF), kByteTimeoutMs));
    return true;
}

char CSerialPort::ReadByte() {
    if (!m_bOpen) {
        return 0;
    }
    unsigned char byte = 0;
    bool got = false;
    Fail(m_device.ReadByte(byte, got));
    // Bytes from 0x80 up come back negative, as a signed char holds them.
    return got ? static_cast<char>(static_cast<signed char>(byte)) : char{0};
}

int CSerialPort::Write(const char* buf, int len) {
    if (!m_bOpen || buf == nullptr || len <= 0) {
        return 0;
    }
    for (int i = 0; i < len; ++i) {
        WriteByte(static_cast<unsigned char>(buf[i]));
    }
    return len;
}

int CSerialPort::GetInQueue() {
    if (!m_bOpen) {
        return 0;
    }
    int count = 0;
    if (const std::error_code err = m_device.InQueue(count)) {
        Fail(err);
        return 0;
    }
    return count;
}

bool CSerialPort::FlushInput() {
    if (!m_bOpen) {
        return false;
    }
    const std::error_code err = m_device.FlushInput();
    Fail(err);
    return !err;
}

bool CSerialPort::Drain() {
    if (!m_bOpen) {
        return false;
    }
    int queued = 0;
    if (const std::error_code err = m_device.OutQueue(queued)) {
        Fail(err);
        return false;
    }
    // Ten bits a byte on the line, plus the same second that one byte may take.
    long long limitMs = static_cast<long long>(queued) * 10 * 1000 / m_nBaud + kByteTimeoutMs;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (queued > 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            Fail(std::make_error_code(std::errc::timed_out));
            return false;
        }
        // A fine poll: every pause of the transfer starts when the line has
        // drained, and a coarse one would stretch each of them.
        std::this_thread::sleep_for(std::chrono::microseconds(100));
        if (const std::error_code err = m_device.OutQueue(queued)) {
            Fail(err);
            return false;
        }
    }
    return true;
}

#include "support/CFakePort.h"

#include "serial/CPortMap.h"

bool CFakePort::Open(int port, int baud) {
    return OpenDevice(CPortMap::DeviceFor(port), baud);
}

bool CFakePort::OpenDevice(const std::string& device, int) {
    std::lock_guard lock(m_mutex);
    if (m_bOpen) {
        m_bOpenedWhileOpen = true;
        return true;
    }
    m_strDevice = device;
    m_lastError = m_openError;
    if (m_openError) {
        return false;
    }
    m_bOpen = true;
    ++m_nOpens;
    return true;
}

bool CFakePort::Close() {
    std::lock_guard lock(m_mutex);
    DrainLocked();
    m_bOpen = false;
    return true;
}

bool CFakePort::WriteByte(int byte) {
    std::lock_guard lock(m_mutex);
    if (!m_bOpen) {
        return true;
    }
    if (m_nFailAfterBytes >= 0 && m_nWritten >= m_nFailAfterBytes) {
        m_lastError = std::make_error_code(std::errc::io_error);
        return true;
    }
    if (m_pending.empty()) {
        m_pendingSince = Clock::now();
    }
    m_pending += static_cast<char>(byte);
    ++m_nWritten;
    return true;
}

int CFakePort::Write(const char* buf, int len) {
    if (!m_bOpen || len <= 0) {
        return 0;
    }
    for (int i = 0; i < len; ++i) {
        WriteByte(static_cast<unsigned char>(buf[i]));
    }
    return len;
}

bool CFakePort::Drain() {
    std::lock_guard lock(m_mutex);
    if (!m_bOpen) {
        return false;
    }
    DrainLocked();
    return true;
}

void CFakePort::DrainLocked() {
    if (!m_pending.empty()) {
        m_wire.push_back({Clock::now(), m_pendingSince, m_pending});
        m_pending.clear();
    }
}

std::vector<CFakePort::WireChunk> CFakePort::Wire() const {
    std::lock_guard lock(m_mutex);
    return m_wire;
}

std::string CFakePort::WireBytes() const {
    std::lock_guard lock(m_mutex);
    std::string bytes;
    for (const auto& chunk : m_wire) {
        bytes += chunk.bytes;
    }
    return bytes + m_pending;
}

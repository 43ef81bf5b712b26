#include "tests/support/CFakePort.h"

#include <algorithm>
#include <climits>

namespace {

constexpr const char* kAnswerRequest = "#CD\r\n";

}  // namespace

CFakePort::~CFakePort() {
    CFakePort::Close();
}

std::error_code CFakePort::OpenDevice(const std::string& /*device*/, int /*baud*/) {
    std::lock_guard lock(m_mutex);
    if (m_openError) {
        return m_openError;
    }
    m_bOpen = true;
    ++m_nOpens;
    return {};
}

void CFakePort::CloseDevice() {
    std::lock_guard lock(m_mutex);
    DrainLocked();
    m_bOpen = false;
}

bool CFakePort::IsOpen() const {
    std::lock_guard lock(m_mutex);
    return m_bOpen;
}

std::error_code CFakePort::PutByte(unsigned char byte) {
    std::lock_guard lock(m_mutex);
    if (m_nFailAfterBytes >= 0 && m_nWritten >= m_nFailAfterBytes) {
        return std::make_error_code(std::errc::io_error);
    }
    if (m_pending.empty()) {
        m_pendingSince = Clock::now();
    }
    m_pending += static_cast<char>(byte);
    m_written += static_cast<char>(byte);
    ++m_nWritten;
    return {};
}

bool CFakePort::AnswerRequested() const {
    return m_written.find(kAnswerRequest) != std::string::npos;
}

std::error_code CFakePort::GetByte(unsigned char& byte, bool& got) {
    std::lock_guard lock(m_mutex);
    got = AnswerRequested() && m_nAnswerRead < m_answer.size();
    if (got) {
        byte = static_cast<unsigned char>(m_answer[m_nAnswerRead++]);
    }
    return {};
}

std::error_code CFakePort::CountInput(int& count) {
    std::lock_guard lock(m_mutex);
    count = AnswerRequested()
                ? static_cast<int>(std::min<std::size_t>(m_answer.size() - m_nAnswerRead, INT_MAX))
                : 0;
    return {};
}

std::error_code CFakePort::DiscardInput() {
    // Nothing arrives before the request, so there is nothing to throw away.
    return {};
}

std::error_code CFakePort::WaitUntilSent() {
    std::lock_guard lock(m_mutex);
    DrainLocked();
    return {};
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
    return m_written;
}

std::size_t CFakePort::AnswerBytesRead() const {
    std::lock_guard lock(m_mutex);
    return m_nAnswerRead;
}

int CFakePort::OpenCount() const {
    std::lock_guard lock(m_mutex);
    return m_nOpens;
}

#include "fuzz/CAnswerPort.h"

#include <algorithm>
#include <climits>

bool CAnswerPort::Close() {
    m_bOpen = false;
    return true;
}

bool CAnswerPort::WriteByte(int byte) {
    if (m_bOpen) {
        m_written += static_cast<char>(byte);
    }
    return true;
}

char CAnswerPort::ReadByte() {
    if (!m_bOpen || m_nRead == m_answer.size()) {
        return 0;
    }
    return m_answer[m_nRead++];
}

int CAnswerPort::Write(const char* buf, int len) {
    if (!m_bOpen || len <= 0) {
        return 0;
    }
    m_written.append(buf, static_cast<std::size_t>(len));
    return len;
}

int CAnswerPort::GetInQueue() {
    if (!m_bOpen) {
        return 0;
    }
    return static_cast<int>(std::min<std::size_t>(m_answer.size() - m_nRead, INT_MAX));
}

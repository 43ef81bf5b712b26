#include "tests/transfer/CTestDevice.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>

CTestDevice::CTestDevice() {
    if (m_pty.Ok()) {
        m_thread = std::thread([this] { Loop(); });
    }
}

CTestDevice::~CTestDevice() {
    m_bStop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

std::string CTestDevice::Received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

void CTestDevice::AnswerUpload(const std::string& answer, int byteGapMs) {
    std::lock_guard lock(m_mutex);
    m_answer = answer;
    m_nByteGapMs = byteGapMs;
}

void CTestDevice::Loop() {
    using Clock = std::chrono::steady_clock;
    std::size_t sent = 0;
    bool answering = false;
    Clock::time_point nextByte{};
    while (!m_bStop) {
        pollfd p{m_pty.MasterFd(), POLLIN, 0};
        poll(&p, 1, 1);
        char buf[4096];
        const ssize_t n = read(m_pty.MasterFd(), buf, sizeof buf);
        std::string answer;
        int gapMs = 0;
        {
            std::lock_guard lock(m_mutex);
            if (n > 0) {
                m_received.append(buf, static_cast<std::size_t>(n));
            }
            if (!answering && !m_answer.empty() &&
                m_received.find("#CD\r\n") != std::string::npos) {
                answering = true;
                nextByte = Clock::now();
            }
            answer = m_answer;
            gapMs = m_nByteGapMs;
        }
        if (!answering || sent >= answer.size() || Clock::now() < nextByte) {
            continue;
        }
        if (gapMs == 0) {
            m_pty.WriteMaster(answer.substr(sent));
            sent = answer.size();
        } else {
            m_pty.WriteMaster(answer.substr(sent, 1));
            ++sent;
            nextByte = Clock::now() + std::chrono::milliseconds(gapMs);
        }
    }
}

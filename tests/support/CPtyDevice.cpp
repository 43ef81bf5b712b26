#include "support/CPtyDevice.h"

CPtyDevice::CPtyDevice(std::vector<Step> answer, ReceiveHook onReceive)
    : m_bOk(m_pty.Ok()), m_answer(std::move(answer)), m_onReceive(std::move(onReceive)) {
    if (m_pty.Ok()) {
        m_thread = std::thread([this] { Run(); });
    }
}

CPtyDevice::~CPtyDevice() {
    m_bStop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CPtyDevice::Unplug() {
    m_bUnplug = true;
    while (!m_bUnplugged && m_thread.joinable()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void CPtyDevice::AnswerUpload(const std::string& answer, int byteGapMs) {
    std::vector<Step> steps;
    if (byteGapMs == 0) {
        steps.push_back({0, answer});
    } else {
        for (std::size_t i = 0; i < answer.size(); ++i) {
            steps.push_back({i == 0 ? 0 : byteGapMs, answer.substr(i, 1)});
        }
    }
    std::lock_guard lock(m_mutex);
    m_answer = std::move(steps);
}

void CPtyDevice::Run() {
    bool answered = false;
    while (!m_bStop) {
        if (m_bUnplug) {
            m_pty.CloseMaster();
            m_bUnplugged = true;
            return;
        }
        const std::string more = m_pty.ReadMaster(1 << 16, 5);
        std::string all;
        if (!more.empty()) {
            std::lock_guard lock(m_mutex);
            m_received += more;
            m_arrivals.insert(m_arrivals.end(), more.size(), Clock::now());
            all = m_received;
        }
        if (!more.empty() && m_onReceive) {
            m_onReceive(*this, all);
        }
        if (!answered && all.find("#CD\r\n") != std::string::npos) {
            answered = true;
            std::vector<Step> answer;
            {
                std::lock_guard lock(m_mutex);
                answer = m_answer;
            }
            for (const Step& step : answer) {
                std::this_thread::sleep_for(std::chrono::milliseconds(step.delayMs));
                if (m_bStop) {
                    return;
                }
                if (step.unplug) {
                    m_bUnplug = true;
                    break;
                }
                m_pty.WriteMaster(step.bytes);
            }
        }
    }
}

std::string CPtyDevice::Received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

bool CPtyDevice::WaitForBytes(std::size_t count, int timeoutMs) const {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        {
            std::lock_guard lock(m_mutex);
            if (m_received.size() >= count) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

CPtyDevice::Clock::time_point CPtyDevice::ArrivalOf(std::size_t index) const {
    std::lock_guard lock(m_mutex);
    return index < m_arrivals.size() ? m_arrivals[index] : Clock::time_point{};
}

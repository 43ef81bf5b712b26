#include "support/CPtyDevice.h"

#include "support/CWait.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kUploadRequest = "#CD\r\n";

std::string ErrnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

CPtyDevice::CPtyDevice(std::vector<Step> answer, ReceiveHook onReceive, ETerminal terminal)
    : m_answer(std::move(answer)), m_onReceive(std::move(onReceive)) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        m_strError = ErrnoText("posix_openpt");
        return;
    }
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        m_strError = ErrnoText("grantpt/unlockpt/ptsname_r");
        close(master);
        return;
    }
    const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        m_strError = ErrnoText("open slave");
        close(master);
        return;
    }
    termios tio{};
    if (terminal == ETerminal::Raw && tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tcsetattr(slave, TCSANOW, &tio);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    m_nMaster = master;
    m_nSlave = slave;
    m_strPath = name;
    m_thread = std::thread([this] { Run(); });
}

CPtyDevice::~CPtyDevice() {
    m_bStop = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    CloseSlave();
    if (m_nMaster >= 0) {
        close(m_nMaster);
    }
}

void CPtyDevice::CloseSlave() {
    if (m_nSlave >= 0) {
        close(m_nSlave);
        m_nSlave = -1;
    }
}

void CPtyDevice::Unplug() {
    m_bUnplug = true;
    CWait::Until([this] { return m_bUnplugged || !m_thread.joinable(); });
}

void CPtyDevice::StopListening() {
    m_bDeaf = true;
    CWait::Until([this] { return m_bDeafened || !m_thread.joinable(); });
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

bool CPtyDevice::Send(const std::string& bytes) {
    const int master = m_nMaster;
    std::size_t done = 0;
    while (master >= 0 && done < bytes.size()) {
        const ssize_t n = write(master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        pollfd p{master, POLLOUT, 0};
        if ((n < 0 && errno != EAGAIN && errno != EINTR) || poll(&p, 1, 5000) <= 0) {
            return false;
        }
    }
    return master >= 0 && done == bytes.size();
}

std::string CPtyDevice::ReadAvailable(int timeoutMs) {
    std::string got;
    pollfd p{m_nMaster, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) {
        return got;
    }
    char buf[65536];
    for (ssize_t n; (n = read(m_nMaster, buf, sizeof buf)) != 0;) {
        if (n > 0) {
            got.append(buf, static_cast<std::size_t>(n));
        } else if (errno != EINTR) {
            break;
        }
    }
    if (got.empty() && errno == EIO) {
        // No slave open at the moment: the line is down until a port opens it.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return got;
}

void CPtyDevice::Run() {
    bool answered = false;
    while (!m_bStop) {
        if (m_bUnplug) {
            close(m_nMaster.exchange(-1));
            m_bUnplugged = true;
            return;
        }
        if (m_bDeaf) {
            m_bDeafened = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        const std::string more = ReadAvailable(5);
        if (more.empty()) {
            continue;
        }
        std::string all;
        bool requested = false;
        {
            std::lock_guard lock(m_mutex);
            const std::size_t from = m_received.size() < 4 ? 0 : m_received.size() - 4;
            m_received += more;
            requested = !answered && m_received.find(kUploadRequest, from) != std::string::npos;
            if (m_onReceive) {
                all = m_received;
            }
        }
        if (m_onReceive) {
            m_onReceive(*this, all);
        }
        if (requested) {
            answered = true;
            PlayAnswer();
        }
    }
}

void CPtyDevice::PlayAnswer() {
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
            return;
        }
        Send(step.bytes);
    }
}

std::string CPtyDevice::Received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

bool CPtyDevice::WaitForBytes(std::size_t count, int timeoutMs) const {
    return CWait::Until(
        [&] {
            std::lock_guard lock(m_mutex);
            return m_received.size() >= count;
        },
        std::chrono::milliseconds(timeoutMs));
}

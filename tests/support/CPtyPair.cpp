#include "support/CPtyPair.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

std::string ErrnoText(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

CPtyPair::CPtyPair(bool raw) {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        m_strError = ErrnoText("posix_openpt");
        return;
    }
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        m_strError = ErrnoText("grantpt/unlockpt");
        close(master);
        return;
    }
    char name[128];
    if (ptsname_r(master, name, sizeof name) != 0) {
        m_strError = ErrnoText("ptsname_r");
        close(master);
        return;
    }
    int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        m_strError = ErrnoText("open slave");
        close(master);
        return;
    }
    termios tio{};
    if (raw && tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tcsetattr(slave, TCSANOW, &tio);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    m_nMaster = master;
    m_nSlave = slave;
    m_strSlavePath = name;
}

CPtyPair::~CPtyPair() {
    CloseSlave();
    CloseMaster();
}

bool CPtyPair::WriteMaster(const std::string& bytes) {
    size_t done = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (m_nMaster >= 0 && done < bytes.size()) {
        ssize_t n = write(m_nMaster, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{m_nMaster, POLLOUT, 0};
            if (poll(&p, 1, RemainingMs(deadline)) <= 0) {
                return false;
            }
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return done == bytes.size();
}

std::string CPtyPair::ReadMaster(size_t count, int timeoutMs) {
    std::string got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_nMaster >= 0 && got.size() < count) {
        char buf[4096];
        size_t want = std::min(sizeof buf, count - got.size());
        ssize_t n = read(m_nMaster, buf, want);
        if (n > 0) {
            got.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            break;  // EIO: no slave open at the moment
        }
        pollfd p{m_nMaster, POLLIN, 0};
        if (poll(&p, 1, RemainingMs(deadline)) <= 0) {
            break;
        }
    }
    return got;
}

std::string CPtyPair::ReadMasterUntilQuiet(int quietMs) {
    std::string got;
    while (m_nMaster >= 0) {
        std::string more = ReadMaster(1 << 20, quietMs);
        if (more.empty()) {
            break;
        }
        got += more;
    }
    return got;
}

void CPtyPair::CloseMaster() {
    if (m_nMaster >= 0) {
        close(m_nMaster);
        m_nMaster = -1;
    }
}

void CPtyPair::CloseSlave() {
    if (m_nSlave >= 0) {
        close(m_nSlave);
        m_nSlave = -1;
    }
}

#include "sim/CPseudoTerminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "sim/CStopSignal.h"

CPseudoTerminal::~CPseudoTerminal() {
    Unplug();
}

std::error_code CPseudoTerminal::Create() {
    m_nMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_nMaster < 0) {
        return {errno, std::generic_category()};
    }
    char name[128];
    if (grantpt(m_nMaster) != 0 || unlockpt(m_nMaster) != 0 ||
        ptsname_r(m_nMaster, name, sizeof name) != 0) {
        const std::error_code error(errno, std::generic_category());
        Unplug();
        return error;
    }
    m_strSlavePath = name;
    m_nSlave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_nSlave < 0) {
        const std::error_code error(errno, std::generic_category());
        Unplug();
        return error;
    }
    // Raw from the start, so that nothing is echoed or translated before the
    // client sets the line up itself.
    termios tio{};
    if (tcgetattr(m_nSlave, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tcsetattr(m_nSlave, TCSANOW, &tio);
    }
    fcntl(m_nMaster, F_SETFL, fcntl(m_nMaster, F_GETFL) | O_NONBLOCK);
    return {};
}

void CPseudoTerminal::WaitUntilRead(int timeoutMs) {
    // Bytes written to the master reach the slave's queue a moment later.
    constexpr int kStepMs = 10;
    CStopSignal::Poll(nullptr, 0, 5 * kStepMs);
    int waiting = 0;
    for (int waited = 0; waited < timeoutMs && !CStopSignal::Stopped(); waited += kStepMs) {
        if (ioctl(m_nSlave, FIONREAD, &waiting) != 0 || waiting == 0) {
            return;
        }
        CStopSignal::Poll(nullptr, 0, kStepMs);
    }
}

void CPseudoTerminal::Unplug() {
    if (m_nSlave >= 0) {
        close(m_nSlave);
        m_nSlave = -1;
    }
    if (m_nMaster >= 0) {
        close(m_nMaster);
        m_nMaster = -1;
    }
}

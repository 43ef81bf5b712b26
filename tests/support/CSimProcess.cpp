#include "support/CSimProcess.h"

#include "support/CProcess.h"
#include "support/CWait.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

CSimProcess::CSimProcess(std::vector<std::string> args) : m_args(std::move(args)) {}

CSimProcess::~CSimProcess() {
    Stop();
}

std::string CSimProcess::ProgramPath() {
    const char* path = std::getenv("QARN_SIM");
    return path != nullptr ? path : "";
}

bool CSimProcess::Start(int timeoutMs) {
    if (m_nPid > 0) {
        m_strError = "already running";
        return false;
    }
    std::string program = ProgramPath();
    if (program.empty()) {
        m_strError = "QARN_SIM is not set";
        return false;
    }
    const pid_t pid = CProcess::Spawn(program, m_args, {}, &m_nOutput, nullptr);
    if (pid < 0) {
        m_strError = std::string("cannot start ") + program + ": " + std::strerror(errno);
        return false;
    }
    m_nPid = pid;

    // The first line of the simulator's output is the device path.
    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        pollfd p{m_nOutput, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) {
            m_strError =
                "no device path from " + program + " within " + std::to_string(timeoutMs) + " ms";
            Stop();
            return false;
        }
        char c;
        ssize_t n = read(m_nOutput, &c, 1);
        if (n <= 0) {
            m_strError = program + " ended before printing its device path";
            Stop();
            return false;
        }
        if (c == '\n') {
            break;
        }
        line += c;
    }
    m_strDevice = line;
    return true;
}

bool CSimProcess::WaitExit(int timeoutMs, int* pStatus) {
    if (m_nPid <= 0) {
        return false;
    }
    int status = 0;
    pid_t ended = 0;
    CWait::Until([&] { return (ended = waitpid(m_nPid, &status, WNOHANG)) != 0; },
                 std::chrono::milliseconds(timeoutMs));
    if (ended != m_nPid) {
        return false;
    }
    m_nPid = -1;
    if (m_nOutput >= 0) {
        close(m_nOutput);
        m_nOutput = -1;
    }
    if (pStatus != nullptr) {
        *pStatus = status;
    }
    return true;
}

int CSimProcess::Stop(int timeoutMs) {
    if (m_nPid <= 0) {
        return -1;
    }
    kill(m_nPid, SIGTERM);
    int status = 0;
    if (!WaitExit(timeoutMs, &status)) {
        kill(m_nPid, SIGKILL);
        WaitExit(timeoutMs, &status);
    }
    return status;
}

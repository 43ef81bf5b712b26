#include "support/CProcess.h"

#include "support/CWait.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

std::string CProcess::CliProgram() {
    const char* path = std::getenv("TOVRIK_CLI");
    return path != nullptr ? path : "";
}

namespace {

// In the child, before it runs the program. False when a step failed.
bool SetUpChild(const CChildSetup& setup) {
    if (!setup.strDirectory.empty() && chdir(setup.strDirectory.c_str()) != 0) {
        return false;
    }
    if (setup.nGroup >= 0 &&
        (setgroups(0, nullptr) != 0 || setgid(static_cast<gid_t>(setup.nGroup)) != 0)) {
        return false;
    }
    if (setup.nUser >= 0 && setuid(static_cast<uid_t>(setup.nUser)) != 0) {
        return false;
    }
    if (setup.nAddressSpace != 0) {
        const rlimit limit{setup.nAddressSpace, setup.nAddressSpace};
        if (setrlimit(RLIMIT_AS, &limit) != 0) {
            return false;
        }
    }
    return true;
}

// The exit status, or 128 + the signal that ended the child.
int StatusOf(int waitStatus) {
    if (WIFEXITED(waitStatus)) {
        return WEXITSTATUS(waitStatus);
    }
    return WIFSIGNALED(waitStatus) ? 128 + WTERMSIG(waitStatus) : -1;
}

}  // namespace

pid_t CProcess::Spawn(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& env, int* pOut, int* pErr,
                      const CChildSetup& setup) {
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    if ((pOut != nullptr && pipe2(out, O_CLOEXEC) != 0) ||
        (pErr != nullptr && pipe2(err, O_CLOEXEC) != 0)) {
        return -1;
    }
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (pOut != nullptr) {
            dup2(out[1], STDOUT_FILENO);
        }
        if (pErr != nullptr) {
            dup2(err[1], STDERR_FILENO);
        }
        for (const auto& entry : env) {
            if (entry.find('=') == std::string::npos) {
                unsetenv(entry.c_str());
            } else {
                putenv(const_cast<char*>(entry.c_str()));
            }
        }
        if (!SetUpChild(setup)) {
            _exit(126);
        }
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    for (int* pipeEnds : {out, err}) {
        if (pipeEnds[1] >= 0) {
            close(pipeEnds[1]);
        }
        if (pid < 0 && pipeEnds[0] >= 0) {
            close(pipeEnds[0]);
        }
    }
    if (pid > 0) {
        if (pOut != nullptr) {
            *pOut = out[0];
        }
        if (pErr != nullptr) {
            *pErr = err[0];
        }
    }
    return pid;
}

CProcess::Result CProcess::RunCli(const std::vector<std::string>& args,
                                  const std::vector<std::string>& env,
                                  const std::string& interruptOn, int timeoutMs,
                                  const CChildSetup& setup) {
    return Run(CliProgram(), args, env, interruptOn, timeoutMs, setup);
}

CProcess::Result CProcess::Run(const std::string& program, const std::vector<std::string>& args,
                               const std::vector<std::string>& env, const std::string& interruptOn,
                               int timeoutMs, const CChildSetup& setup) {
    Result result;
    int outFd = -1;
    int errFd = -1;
    const pid_t pid = Spawn(program, args, env, &outFd, &errFd, setup);
    if (pid < 0) {
        return result;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool interrupted = false;
    bool timedOut = false;
    int open = 2;
    while (open > 0) {
        if (!interruptOn.empty() && !interrupted &&
            result.strOut.find(interruptOn) != std::string::npos) {
            kill(pid, setup.nInterruptSignal);
            interrupted = true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
        if (poll(fds, 2, static_cast<int>(left)) <= 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            char buf[4096];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? result.strOut : result.strErr).append(buf, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                (i == 0 ? outFd : errFd) = -1;
                --open;
            }
        }
    }
    if (outFd >= 0) {
        close(outFd);
    }
    if (errFd >= 0) {
        close(errFd);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.nStatus = timedOut ? -1 : StatusOf(status);
    return result;
}

int CProcess::Wait(pid_t pid, int timeoutMs) {
    int status = 0;
    if (!CWait::Until([&] { return waitpid(pid, &status, WNOHANG) != 0; },
                      std::chrono::milliseconds(timeoutMs))) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return StatusOf(status);
}

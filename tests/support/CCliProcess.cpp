#include "support/CCliProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

std::string CCliProcess::Program() {
    const char* path = std::getenv("TOVRIK_CLI");
    return path != nullptr ? path : "";
}

CCliProcess::Result CCliProcess::Run(const std::vector<std::string>& args,
                                     const std::vector<std::string>& env,
                                     const std::string& interruptOn, int timeoutMs) {
    Result result;
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        return result;
    }
    const std::string program = Program();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (const auto& entry : env) {
            putenv(const_cast<char*>(entry.c_str()));
        }
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool interrupted = false;
    bool timedOut = false;
    int open = 2;
    while (open > 0) {
        if (!interruptOn.empty() && !interrupted &&
            result.strOut.find(interruptOn) != std::string::npos) {
            kill(pid, SIGINT);
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
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
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
                (i == 0 ? out[0] : err[0]) = -1;
                --open;
            }
        }
    }
    if (out[0] >= 0) {
        close(out[0]);
    }
    if (err[0] >= 0) {
        close(err[0]);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (timedOut) {
        result.nStatus = -1;
    } else if (WIFEXITED(status)) {
        result.nStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.nStatus = 128 + WTERMSIG(status);
    }
    return result;
}

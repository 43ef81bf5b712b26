#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Runs the simulated QARN device (the qarn-sim program named by the environment
// variable QARN_SIM) as a child process. Start() waits for the device path that
// the simulator prints as its first line; Stop() ends it with SIGTERM.
class CSimProcess {
public:
    explicit CSimProcess(std::vector<std::string> args = {});
    ~CSimProcess();
    CSimProcess(const CSimProcess&) = delete;
    CSimProcess& operator=(const CSimProcess&) = delete;

    // The program named by QARN_SIM, or "" when the variable is not set.
    static std::string ProgramPath();

    // Starts the simulator and waits up to `timeoutMs` for its device path.
    // False on failure; Error() says why.
    bool Start(int timeoutMs = 5000);
    bool IsRunning() const { return m_nPid > 0; }
    const std::string& DevicePath() const { return m_strDevice; }
    const std::string& Error() const { return m_strError; }
    pid_t Pid() const { return m_nPid; }

    // Sends SIGTERM and waits up to `timeoutMs` (then SIGKILL). Returns the
    // wait status as waitpid reports it, or -1 when nothing was running.
    int Stop(int timeoutMs = 5000);
    // Waits up to `timeoutMs` for the simulator to end by itself. True when it
    // has ended; *pStatus receives the wait status.
    bool WaitExit(int timeoutMs, int* pStatus = nullptr);

private:
    std::vector<std::string> m_args;
    pid_t m_nPid = -1;
    int m_nOutput = -1;
    std::string m_strDevice;
    std::string m_strError;
};

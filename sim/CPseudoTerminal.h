#pragma once

#include <string>
#include <system_error>

// The simulator's end of the line: a pseudo-terminal whose slave end the
// program under test opens as its serial port. The simulator keeps a slave
// descriptor of its own, so the master never sees a hang-up when the client
// closes its port; closing the master is what unplugs the line.
class CPseudoTerminal {
public:
    CPseudoTerminal() = default;
    ~CPseudoTerminal();
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;

    // The system's error when the terminal cannot be made.
    [[nodiscard]] std::error_code Create();
    int MasterFd() const { return m_nMaster; }
    const std::string& SlavePath() const { return m_strSlavePath; }
    // Waits up to `timeoutMs` until the client has read everything sent to it
    // (a hang-up throws away what it has not read yet).
    void WaitUntilRead(int timeoutMs);
    // Drops the line: the client's port sees a hang-up.
    void Unplug();

private:
    int m_nMaster = -1;
    int m_nSlave = -1;
    std::string m_strSlavePath;
};

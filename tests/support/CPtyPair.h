#pragma once

#include <string>

// A pseudo-terminal for tests: the master end plays the device, the slave path
// is what the code under test opens as its serial port. The slave is set to raw
// mode (no echo, no CR/LF translation, no flow control) unless `raw` is false,
// which leaves the system's cooked defaults in place. The pair keeps one
// slave descriptor of its own open so that the master neither loses queued
// bytes nor reads EIO while the port under test is closed; CloseSlave() gives
// it up.
class CPtyPair {
public:
    explicit CPtyPair(bool raw = true);
    ~CPtyPair();
    CPtyPair(const CPtyPair&) = delete;
    CPtyPair& operator=(const CPtyPair&) = delete;

    // False when the pseudo-terminal could not be made; Error() says why.
    bool Ok() const { return m_nMaster >= 0; }
    const std::string& Error() const { return m_strError; }

    int MasterFd() const { return m_nMaster; }
    const std::string& SlavePath() const { return m_strSlavePath; }
    // The pair's own slave descriptor, for looking at the terminal's settings.
    int SlaveFd() const { return m_nSlave; }

    // Sends bytes from the device side; true when all of them were written.
    bool WriteMaster(const std::string& bytes);
    // Collects bytes that arrive at the device side until `count` have come or
    // `timeoutMs` has passed without completing them; returns what arrived.
    std::string ReadMaster(size_t count, int timeoutMs);
    // Everything that arrives at the device side until the line has been quiet
    // for `quietMs`.
    std::string ReadMasterUntilQuiet(int quietMs);

    // Unplugs the device: the slave side sees a hang-up from now on.
    void CloseMaster();
    void CloseSlave();

private:
    int m_nMaster = -1;
    int m_nSlave = -1;
    std::string m_strSlavePath;
    std::string m_strError;
};

#pragma once

#include <string>

// Another program holding a port the way serial programs do: the device open
// and locked with flock(). Let go when the object goes.
class CPortLockHolder {
public:
    explicit CPortLockHolder(const std::string& device);
    ~CPortLockHolder();
    CPortLockHolder(const CPortLockHolder&) = delete;
    CPortLockHolder& operator=(const CPortLockHolder&) = delete;

    bool Holds() const { return m_bLocked; }

private:
    int m_nFd = -1;
    bool m_bLocked = false;
};

#pragma once

#include "tests/support/CFileDescriptor.h"

#include <string>

// Another program holding a port the way serial programs do: the device open
// and locked with flock(). Let go when the object goes.
class CPortLockHolder {
public:
    explicit CPortLockHolder(const std::string& device);

    bool Holds() const { return m_bLocked; }

private:
    CFileDescriptor m_fd;
    bool m_bLocked;
};

#include "tests/support/CPortLockHolder.h"

#include <fcntl.h>
#include <sys/file.h>

CPortLockHolder::CPortLockHolder(const std::string& device)
    : m_fd(open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)),
      m_bLocked(m_fd.Get() >= 0 && flock(m_fd.Get(), LOCK_EX | LOCK_NB) == 0) {}

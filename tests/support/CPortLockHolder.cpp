#include "support/CPortLockHolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CPortLockHolder::CPortLockHolder(const std::string& device)
    : m_nFd(open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)),
      m_bLocked(m_nFd >= 0 && flock(m_nFd, LOCK_EX | LOCK_NB) == 0) {}

CPortLockHolder::~CPortLockHolder() {
    if (m_nFd >= 0) {
        close(m_nFd);
    }
}

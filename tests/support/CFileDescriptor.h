#pragma once

#include <unistd.h>

// A file descriptor that is closed when the object goes, so that a test that
// stops at a failed assertion leaves none open.
class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd) : m_nFd(fd) {}
    ~CFileDescriptor() {
        if (m_nFd >= 0) {
            ::close(m_nFd);
        }
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    int Get() const { return m_nFd; }

private:
    int m_nFd;
};

#include "serial/CPosixSerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "serial/CLinuxCustomBaud.h"

namespace {

struct BaudConstant {
    int baud;
    speed_t speed;
};

constexpr BaudConstant kBaudConstants[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600}, {1000000, B1000000},
#endif
};

bool FindBaudConstant(int baud, speed_t* pSpeed) {
    for (const BaudConstant& c : kBaudConstants) {
        if (c.baud == baud) {
            *pSpeed = c.speed;
            return true;
        }
    }
    return false;
}

}  // namespace

CPosixSerialDevice::~CPosixSerialDevice() {
    Close(true);
}

int CPosixSerialDevice::Open(const std::string& path, int baud) {
    if (m_nFd >= 0) {
        return 0;
    }
    if (path.empty()) {
        return ENOENT;
    }
    m_nFd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_nFd < 0) {
        return errno;
    }
    int err = 0;
    if (!isatty(m_nFd)) {
        err = ENOTTY;
    } else if (flock(m_nFd, LOCK_EX | LOCK_NB) != 0) {
        // Another of our ports, or a program that locks the same way, has it.
        err = errno == EWOULDBLOCK ? EBUSY : errno;
    } else if (ioctl(m_nFd, TIOCEXCL) != 0) {
        err = errno;
    } else {
        m_bExclusive = true;
        err = ApplyLineSettings(baud);
    }
    if (err != 0) {
        Close(true);
        return err;
    }
    tcflush(m_nFd, TCIOFLUSH);
    ioctl(m_nFd, TIOCCBRK);  // pseudo-terminals refuse this; there is no break to end there
    return 0;
}

int CPosixSerialDevice::ApplyLineSettings(int baud) {
    if (baud <= 0) {
        return EINVAL;
    }
    termios tio{};
    if (tcgetattr(m_nFd, &tio) != 0) {
        return errno;
    }
    // Raw bytes both ways; stop bits and hardware flow control stay as they were.
    tio.c_iflag &=
        ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    // VMIN 1 makes an empty non-blocking read fail with EAGAIN, so that a read
    // of 0 bytes means the line was hung up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;

    speed_t speed = 0;
    bool standard = FindBaudConstant(baud, &speed);
    if (standard && (cfsetispeed(&tio, speed) != 0 || cfsetospeed(&tio, speed) != 0)) {
        return errno;
    }
    if (tcsetattr(m_nFd, TCSANOW, &tio) != 0) {
        return errno;
    }
    if (!standard) {
        return SetCustomBaud(m_nFd, baud);
    }
    // tcsetattr succeeds when any of the changes took; check that the rate did.
    termios got{};
    if (tcgetattr(m_nFd, &got) != 0) {
        return errno;
    }
    return cfgetospeed(&got) == speed ? 0 : EINVAL;
}

void CPosixSerialDevice::Close(bool discardUnsent) {
    if (m_nFd < 0) {
        return;
    }
    if (discardUnsent) {
        tcflush(m_nFd, TCOFLUSH);
    }
    if (m_bExclusive) {
        ioctl(m_nFd, TIOCNXCL);  // the flag outlives us while others hold the terminal
        m_bExclusive = false;
    }
    flock(m_nFd, LOCK_UN);
    close(m_nFd);
    m_nFd = -1;
}

int CPosixSerialDevice::WriteByte(unsigned char byte, int timeoutMs) {
    if (m_nFd < 0) {
        return EBADF;
    }
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        ssize_t n = write(m_nFd, &byte, 1);
        if (n == 1) {
            return 0;
        }
        if (n == 0) {
            return EIO;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            return errno;
        }
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return ETIMEDOUT;
        }
        pollfd p{m_nFd, POLLOUT, 0};
        int r = poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno != EINTR) {
            return errno;
        }
        if (r > 0 && (p.revents & POLLOUT) == 0) {
            return EIO;  // hung up or in error: no room will come
        }
    }
}

int CPosixSerialDevice::ReadByte(unsigned char* pByte, bool* pGot) {
    *pGot = false;
    if (m_nFd < 0) {
        return EBADF;
    }
    for (;;) {
        ssize_t n = read(m_nFd, pByte, 1);
        if (n == 1) {
            *pGot = true;
            return 0;
        }
        if (n == 0) {
            return EIO;  // end of file on a terminal: the line was dropped
        }
        if (errno == EINTR) {
            continue;
        }
        return errno == EAGAIN ? 0 : errno;
    }
}

int CPosixSerialDevice::InQueue(int* pCount) {
    *pCount = 0;
    if (m_nFd < 0) {
        return EBADF;
    }
    return ioctl(m_nFd, FIONREAD, pCount) == 0 ? 0 : errno;
}

int CPosixSerialDevice::OutQueue(int* pCount) {
    *pCount = 0;
    if (m_nFd < 0) {
        return EBADF;
    }
    return ioctl(m_nFd, TIOCOUTQ, pCount) == 0 ? 0 : errno;
}

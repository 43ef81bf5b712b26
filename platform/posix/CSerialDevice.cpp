#include "platform/common/CSerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "CLinuxCustomBaud.h"
#include "CTerminalState.h"
#include "PosixError.h"
#include "platform/common/CSystemConsole.h"
#include "platform/common/ETovrikError.h"

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

struct CSerialDevice::Impl {
    explicit Impl(const CSystemPaths& paths) : console(paths) {}
    int ApplyLineSettings(int baud);

    CSystemConsole console;
    int fd = -1;
    bool bExclusive = false;
    CTerminalState found;  // the settings the port had before this open
};

CSerialDevice::CSerialDevice(const CSystemPaths& paths) : m_pImpl(std::make_unique<Impl>(paths)) {}

CSerialDevice::~CSerialDevice() {
    Close(true);
}

std::string CSerialDevice::DefaultPath(int port) {
    return port < 1 ? std::string() : "/dev/ttyS" + std::to_string(port - 1);
}

std::string CSerialDevice::ExamplePath() {
    return "/dev/ttyUSB0";
}

bool CSerialDevice::IsOpen() const {
    return m_pImpl->fd >= 0;
}

std::error_code CSerialDevice::Open(const std::string& path, int baud) {
    Impl& d = *m_pImpl;
    if (d.fd >= 0) {
        return {};
    }
    if (path.empty()) {
        return PosixError::Of(ENOENT);
    }
    // Not a byte may reach the console, whatever the user's rights: even
    // opening it would take it over.
    if (d.console.IsConsole(path)) {
        return ETovrikError::SystemConsole;
    }
    d.fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (d.fd < 0) {
        return PosixError::Last();
    }
    std::error_code err;
    if (!isatty(d.fd)) {
        err = PosixError::Of(ENOTTY);
    } else if (flock(d.fd, LOCK_EX | LOCK_NB) != 0) {
        // Another of our ports, or a program that locks the same way, has it.
        err = errno == EWOULDBLOCK ? PosixError::Of(EBUSY) : PosixError::Last();
    } else if (ioctl(d.fd, TIOCEXCL) != 0) {
        err = PosixError::Last();
    } else {
        d.bExclusive = true;
        const int saved = d.found.Save(d.fd);
        err = PosixError::Of(saved != 0 ? saved : d.ApplyLineSettings(baud));
    }
    if (err) {
        Close(true);
        return err;
    }
    tcflush(d.fd, TCIOFLUSH);
    ioctl(d.fd, TIOCCBRK);  // pseudo-terminals refuse this; there is no break to end there
    return {};
}

// 0 or an errno value.
int CSerialDevice::Impl::ApplyLineSettings(int baud) {
    if (baud <= 0) {
        return EINVAL;
    }
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
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
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        return errno;
    }
    if (!standard) {
        return SetCustomBaud(fd, baud);
    }
    // tcsetattr succeeds when any of the changes took; check that the rate did.
    termios got{};
    if (tcgetattr(fd, &got) != 0) {
        return errno;
    }
    return cfgetospeed(&got) == speed ? 0 : EINVAL;
}

void CSerialDevice::Close(bool discardUnsent) {
    Impl& d = *m_pImpl;
    if (d.fd < 0) {
        return;
    }
    if (discardUnsent) {
        tcflush(d.fd, TCOFLUSH);
    }
    // Left as it was found: a terminal is not left raw, a line not at our
    // rate. At once, as what was to be sent has drained or been dropped.
    d.found.Restore(d.fd);
    d.found.Forget();
    if (d.bExclusive) {
        ioctl(d.fd, TIOCNXCL);  // the flag outlives us while others hold the terminal
        d.bExclusive = false;
    }
    flock(d.fd, LOCK_UN);
    close(d.fd);
    d.fd = -1;
}

std::error_code CSerialDevice::WriteByte(unsigned char byte, int timeoutMs) {
    const int fd = m_pImpl->fd;
    if (fd < 0) {
        return PosixError::Of(EBADF);
    }
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        ssize_t n = write(fd, &byte, 1);
        if (n == 1) {
            return {};
        }
        if (n == 0) {
            return PosixError::Of(EIO);
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            return PosixError::Last();
        }
        auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return PosixError::Of(ETIMEDOUT);
        }
        pollfd p{fd, POLLOUT, 0};
        int r = poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno != EINTR) {
            return PosixError::Last();
        }
        if (r > 0 && (p.revents & POLLOUT) == 0) {
            return PosixError::Of(EIO);  // hung up or in error: no room will come
        }
    }
}

std::error_code CSerialDevice::ReadByte(unsigned char& byte, bool& got) {
    got = false;
    const int fd = m_pImpl->fd;
    if (fd < 0) {
        return PosixError::Of(EBADF);
    }
    for (;;) {
        ssize_t n = read(fd, &byte, 1);
        if (n == 1) {
            got = true;
            return {};
        }
        if (n == 0) {
            return PosixError::Of(EIO);  // end of file on a terminal: the line was dropped
        }
        if (errno == EINTR) {
            continue;
        }
        return errno == EAGAIN ? std::error_code() : PosixError::Last();
    }
}

std::error_code CSerialDevice::InQueue(int& count) {
    count = 0;
    if (m_pImpl->fd < 0) {
        return PosixError::Of(EBADF);
    }
    return ioctl(m_pImpl->fd, FIONREAD, &count) == 0 ? std::error_code() : PosixError::Last();
}

std::error_code CSerialDevice::FlushInput() {
    if (m_pImpl->fd < 0) {
        return PosixError::Of(EBADF);
    }
    return tcflush(m_pImpl->fd, TCIFLUSH) == 0 ? std::error_code() : PosixError::Last();
}

std::error_code CSerialDevice::OutQueue(int& count) {
    count = 0;
    if (m_pImpl->fd < 0) {
        return PosixError::Of(EBADF);
    }
    return ioctl(m_pImpl->fd, TIOCOUTQ, &count) == 0 ? std::error_code() : PosixError::Last();
}

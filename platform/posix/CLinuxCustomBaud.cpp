#include "CLinuxCustomBaud.h"

#include <cerrno>
#include <cstdlib>

#if defined(__linux__)
// termios2 lives in the kernel headers, which clash with <termios.h>; this file
// therefore includes only these.
#include <asm/termbits.h>
#include <sys/ioctl.h>

int SetCustomBaud(int fd, int baud) {
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return errno;
    }
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = static_cast<speed_t>(baud);
    tio.c_ospeed = static_cast<speed_t>(baud);
    if (ioctl(fd, TCSETS2, &tio) != 0) {
        return errno;
    }
    // The driver rounds to what its clock can make; refuse a rate too far off
    // for the device to read.
    termios2 got{};
    if (ioctl(fd, TCGETS2, &got) != 0) {
        return errno;
    }
    long off = std::labs(static_cast<long>(got.c_ospeed) - baud);
    return off * 50 <= baud ? 0 : EINVAL;
}
#else
int SetCustomBaud(int, int) {
    return EINVAL;
}
#endif

#include "CTerminalState.h"

#include <cerrno>
#include <cstring>

#if defined(__linux__)
// termios2 carries rates that have no B-constant; its header clashes with
// <termios.h>, so this file includes only these.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace {

using Settings = termios2;

int Get(int fd, Settings& settings) {
    return ioctl(fd, TCGETS2, &settings) == 0 ? 0 : errno;
}

int Set(int fd, const Settings& settings) {
    return ioctl(fd, TCSETS2, &settings) == 0 ? 0 : errno;
}

}  // namespace
#else
#include <termios.h>

namespace {

using Settings = termios;

int Get(int fd, Settings& settings) {
    return tcgetattr(fd, &settings) == 0 ? 0 : errno;
}

int Set(int fd, const Settings& settings) {
    return tcsetattr(fd, TCSANOW, &settings) == 0 ? 0 : errno;
}

}  // namespace
#endif

int CTerminalState::Save(int fd) {
    static_assert(sizeof(Settings) <= kSize);
    Settings settings{};
    const int error = Get(fd, settings);
    if (error == 0) {
        std::memcpy(m_data, &settings, sizeof settings);
        m_bSaved = true;
    }
    return error;
}

int CTerminalState::Restore(int fd) const {
    if (!m_bSaved) {
        return 0;
    }
    Settings settings{};
    std::memcpy(&settings, m_data, sizeof settings);
    return Set(fd, settings);
}

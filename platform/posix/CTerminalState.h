#pragma once

#include <cstddef>

// Every setting of a terminal as its driver holds it, rates without a
// B-constant included, kept at open so that the port is left as it was found:
// a terminal is not left raw, nor a console at another rate.
class CTerminalState {
public:
    // Each returns 0 or an errno value.
    int Save(int fd);
    // Puts the saved settings back at once; nothing when none were saved.
    int Restore(int fd) const;
    void Forget() { m_bSaved = false; }

private:
    // Room for the driver's settings record, whose header cannot be included
    // beside <termios.h>; its size is checked where it is filled.
    static constexpr std::size_t kSize = 64;
    alignas(8) unsigned char m_data[kSize] = {};
    bool m_bSaved = false;
};

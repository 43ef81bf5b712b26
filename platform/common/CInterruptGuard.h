#pragma once

#include <memory>

// While it lives, an interrupt from the user (Ctrl+C) does not end the
// process: it is noted, so that the program can cancel what it is doing, tidy
// up and then end. One guard at a time.
class CInterruptGuard {
public:
    CInterruptGuard();
    ~CInterruptGuard();  // puts the previous handling back
    CInterruptGuard(const CInterruptGuard&) = delete;
    CInterruptGuard& operator=(const CInterruptGuard&) = delete;

    // The number of the first signal caught since the guard was made, 0 if none.
    static int Caught();

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

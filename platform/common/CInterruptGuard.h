#pragma once

#include "platform/ETovrikError.h"

#include <memory>
#include <system_error>

// While it lives, a request to end the process (Ctrl+C, SIGTERM from a service
// stop or `timeout`, SIGHUP from a closed terminal) does not end it: it is
// noted, so that the program can cancel what it is doing, close the port,
// remove its temporary files and then end. One guard at a time.
class CInterruptGuard {
public:
    CInterruptGuard();
    ~CInterruptGuard();  // puts the previous handling back
    CInterruptGuard(const CInterruptGuard&) = delete;
    CInterruptGuard& operator=(const CInterruptGuard&) = delete;

    // The number of the first signal caught since the guard was made; 0 if
    // none, and always 0 while no guard lives.
    static int Caught();
    // ETovrikError::SaveInterrupted once a signal has been caught, so that a
    // save stops before its next step; empty otherwise.
    [[nodiscard]] static std::error_code SaveInterruption() {
        return Caught() != 0 ? std::error_code(ETovrikError::SaveInterrupted) : std::error_code();
    }
    // The exit status after each request to end, for the help: "130 when
    // stopped by Ctrl+C, ...".
    static const char* ExitStatuses();

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

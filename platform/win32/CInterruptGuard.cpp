#include "platform/common/CInterruptGuard.h"

#include <windows.h>

#include <atomic>
#include <csignal>

namespace {

// The console's events as the signal numbers a POSIX shell would report, so
// that tovrik-cli ends with 128 + the number on every system: Ctrl+C is
// SIGINT (2), Ctrl+Break the C runtime's SIGBREAK (21), and closing the
// console window is a hang-up of the terminal, SIGHUP (1) on POSIX.
constexpr int kHangUp = 1;

// How long closing the window may wait for the program to cancel and tidy up;
// the system ends the process after five seconds whatever happens.
constexpr DWORD kCloseGraceMs = 4500;

std::atomic<int> g_nCaught{0};

// Set while no guard lives, so that a close never waits for nobody.
HANDLE Released() {
    static const HANDLE hReleased = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    return hReleased;
}

BOOL WINAPI OnConsoleEvent(DWORD type) {
    int signal = 0;
    switch (type) {
        case CTRL_C_EVENT:
            signal = SIGINT;
            break;
        case CTRL_BREAK_EVENT:
            signal = SIGBREAK;
            break;
        case CTRL_CLOSE_EVENT:
            signal = kHangUp;
            break;
        default:
            return FALSE;
    }
    int none = 0;
    g_nCaught.compare_exchange_strong(none, signal);
    if (type == CTRL_CLOSE_EVENT) {
        // The process ends as soon as this returns: give the program the time
        // to stop the transfer and close the port first.
        WaitForSingleObject(Released(), kCloseGraceMs);
    }
    return TRUE;
}

}  // namespace

struct CInterruptGuard::Impl {};

CInterruptGuard::CInterruptGuard() : m_pImpl(std::make_unique<Impl>()) {
    g_nCaught = 0;
    ResetEvent(Released());
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

CInterruptGuard::~CInterruptGuard() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    SetEvent(Released());
}

int CInterruptGuard::Caught() {
    return g_nCaught;
}

const char* CInterruptGuard::ExitStatuses() {
    return "130 when stopped by Ctrl+C, 149 by Ctrl+Break, 129 when the console\n"
           "window is closed";
}

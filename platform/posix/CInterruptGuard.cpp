#include "platform/common/CInterruptGuard.h"

#include <signal.h>

#include <array>
#include <cstddef>

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t g_nCaught = 0;

extern "C" void OnInterrupt(int signal) {
    if (g_nCaught == 0) {
        g_nCaught = signal;
    }
}

}  // namespace

struct CInterruptGuard::Impl {
    std::array<struct sigaction, kSignals.size()> previous{};
};

CInterruptGuard::CInterruptGuard() : m_pImpl(std::make_unique<Impl>()) {
    g_nCaught = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &action, &m_pImpl->previous[i]);
    }
}

CInterruptGuard::~CInterruptGuard() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &m_pImpl->previous[i], nullptr);
    }
    g_nCaught = 0;
}

int CInterruptGuard::Caught() {
    return g_nCaught;
}

const char* CInterruptGuard::ExitStatuses() {
    return "130 when stopped by Ctrl+C, 143 by SIGTERM, 129 by SIGHUP (128 + the\n"
           "signal's number)";
}

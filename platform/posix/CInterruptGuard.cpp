#include "platform/CInterruptGuard.h"

#include <signal.h>

namespace {

volatile sig_atomic_t g_nCaught = 0;

extern "C" void OnInterrupt(int signal) {
    if (g_nCaught == 0) {
        g_nCaught = signal;
    }
}

}  // namespace

struct CInterruptGuard::Impl {
    struct sigaction previous {};
};

CInterruptGuard::CInterruptGuard() : m_pImpl(std::make_unique<Impl>()) {
    g_nCaught = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &m_pImpl->previous);
}

CInterruptGuard::~CInterruptGuard() {
    sigaction(SIGINT, &m_pImpl->previous, nullptr);
}

int CInterruptGuard::Caught() {
    return g_nCaught;
}

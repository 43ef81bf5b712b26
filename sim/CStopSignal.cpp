#include "sim/CStopSignal.h"

#include <signal.h>

#include <csignal>
#include <ctime>

namespace {

volatile std::sig_atomic_t g_stop = 0;
sigset_t g_waitMask;

void OnStop(int) {
    g_stop = 1;
}

}  // namespace

void CStopSignal::Install() {
    struct sigaction action {};
    action.sa_handler = OnStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigprocmask(SIG_BLOCK, &stopSignals, &g_waitMask);
    sigdelset(&g_waitMask, SIGTERM);
    sigdelset(&g_waitMask, SIGINT);
}

bool CStopSignal::Stopped() {
    return g_stop != 0;
}

int CStopSignal::Poll(pollfd* fds, nfds_t count, int timeoutMs) {
    timespec timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000000L};
    return ppoll(fds, count, timeoutMs < 0 ? nullptr : &timeout, &g_waitMask);
}

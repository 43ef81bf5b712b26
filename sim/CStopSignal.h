#pragma once

#include <poll.h>

// SIGTERM and SIGINT ask the simulator to stop. They are blocked except while
// it waits in Poll(), so a stop request can never slip in between a check of
// Stopped() and the wait that follows.
class CStopSignal {
public:
    static void Install();
    static bool Stopped();
    // poll() that also returns (with -1, EINTR) when a stop request arrives.
    static int Poll(pollfd* fds, nfds_t count, int timeoutMs);
};

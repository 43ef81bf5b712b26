#include "platform/common/CWorkerThread.h"

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <system_error>

namespace {

// The worker paces the line with fixed pauses, so it asks for the best place in
// the queue. Only a privileged user may raise a thread above its process, so
// each attempt is allowed to fail silently: the worker then runs at the normal
// priority, which merely makes its pauses a little less exact under load. The
// real-time classes are not used: a worker must never be able to starve the
// interface thread that serves its updates.
void RaiseCurrentThreadPriority() {
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    const int current = getpriority(PRIO_PROCESS, tid);
    for (int nice = -20; nice < current; ++nice) {
        if (setpriority(PRIO_PROCESS, tid, nice) == 0) {
            return;
        }
    }
}

}  // namespace

bool CWorkerThread::Start(std::function<void()> body) {
    Join();
    // The worker never handles signals: a SIGINT meant for the command-line
    // tool must not interrupt a port operation half-way. The new thread
    // inherits the mask in force while it is created.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    bool started = true;
    try {
        m_thread = std::thread([body = std::move(body)] {
            RaiseCurrentThreadPriority();
            body();
        });
    } catch (const std::system_error&) {
        started = false;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return started;
}

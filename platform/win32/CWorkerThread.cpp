#include "platform/common/CWorkerThread.h"

#include <windows.h>

#include <system_error>

bool CWorkerThread::Start(std::function<void()> body) {
    Join();
    try {
        m_thread = std::thread([body = std::move(body)] {
            // The worker paces the line with fixed pauses, so it asks for the
            // best place in the queue; the interface thread keeps the normal
            // priority and is never starved, since the worker mostly sleeps.
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
            body();
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

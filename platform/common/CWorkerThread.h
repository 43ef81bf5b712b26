#pragma once

#include <thread>

// The thread of one transfer worker. It stays joinable until joined, so whoever
// starts the next worker can first wait for the last one to be gone.
class CWorkerThread {
public:
    using Proc = unsigned (*)(void* pParam);

    CWorkerThread() = default;
    ~CWorkerThread();  // joins
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Joins a previous worker, then runs proc(pParam) on a new thread at the
    // highest priority the system grants. False when no thread could be made.
    bool Start(Proc proc, void* pParam);
    void Join();
    bool IsJoinable() const { return m_thread.joinable(); }

private:
    std::thread m_thread;
};

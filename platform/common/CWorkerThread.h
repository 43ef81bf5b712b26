#pragma once

#include <functional>
#include <thread>

// The thread of one transfer worker. It stays joinable until joined, so whoever
// starts the next worker can first wait for the last one to be gone.
class CWorkerThread {
public:
    CWorkerThread() = default;
    ~CWorkerThread();  // joins
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Joins a previous worker, then runs `body` on a new thread at the highest
    // priority the system grants. False when no thread could be made.
    [[nodiscard]] bool Start(std::function<void()> body);
    void Join();
    bool IsJoinable() const { return m_thread.joinable(); }

private:
    std::thread m_thread;
};

#include "platform/CWorkerThread.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>

#include <atomic>

// A SIGINT meant for the command-line tool must reach its main thread, never a
// worker in the middle of a port operation.
TEST(WorkerThread, IgnoresSignalsAndTheStarterKeepsItsOwnMask) {
    static std::atomic<int> blocked{-1};
    CWorkerThread thread;
    ASSERT_TRUE(thread.Start([] {
        sigset_t mask;
        pthread_sigmask(SIG_SETMASK, nullptr, &mask);
        blocked = sigismember(&mask, SIGINT);
    }));
    thread.Join();
    EXPECT_EQ(blocked, 1);
    EXPECT_FALSE(thread.IsJoinable());
    sigset_t mine;
    pthread_sigmask(SIG_SETMASK, nullptr, &mine);
    EXPECT_EQ(sigismember(&mine, SIGINT), 0);
}

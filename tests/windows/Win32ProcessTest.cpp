#include "platform/common/CCommandLine.h"
#include "platform/common/CInterruptGuard.h"
#include "platform/common/CWorkerThread.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

// The console's Ctrl+C, the worker's priority and the command
// line on Windows.
namespace {

// Waits up to a second for the console's handler thread to note the event.
int CaughtAfter(DWORD event) {
    if (!GenerateConsoleCtrlEvent(event, 0)) {
        return -1;
    }
    for (int i = 0; i < 100 && CInterruptGuard::Caught() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return CInterruptGuard::Caught();
}

}  // namespace

TEST(Win32InterruptGuard, CtrlCIsCaughtAsSigint) {
    // Run without a terminal, the test takes a console of its own to raise
    // the event through. (Wine raises no Ctrl+Break this way.)
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    SetConsoleCtrlHandler(nullptr, FALSE);
    {
        const CInterruptGuard guard;
        EXPECT_EQ(CInterruptGuard::Caught(), 0);
        EXPECT_EQ(CaughtAfter(CTRL_C_EVENT), SIGINT) << "the process lives on to tidy up";
    }
    const CInterruptGuard guard;
    EXPECT_EQ(CInterruptGuard::Caught(), 0) << "a new guard starts afresh";
}

TEST(Win32WorkerThread, RunsTheWorkerAtTheHighestPriority) {
    static std::atomic<int> priority{THREAD_PRIORITY_ERROR_RETURN};
    CWorkerThread thread;
    ASSERT_TRUE(thread.Start([] { priority = GetThreadPriority(GetCurrentThread()); }));
    thread.Join();
    EXPECT_EQ(priority, THREAD_PRIORITY_HIGHEST);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
}

TEST(Win32CommandLine, ArgumentsArriveInUtf8) {
    char program[] = "program";
    char* argv[] = {program, nullptr};
    // The harness passes --utf8-arg=ä€, which no Western code page holds whole.
    const std::vector<std::string> arguments = CCommandLine::Arguments(1, argv);
    ASSERT_GE(arguments.size(), 2u);
    EXPECT_NE(arguments[0].find("win32_process_tests"), std::string::npos) << arguments[0];
    EXPECT_EQ(arguments.back(), "--utf8-arg=\xC3\xA4\xE2\x82\xAC");
}

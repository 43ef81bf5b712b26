#include "platform/CStandardDescriptors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// In a child whose descriptors in `closed` are closed: after OpenMissing, the
// standard ones are open, the closed ones on the null device, and the next
// file opened gets a number above them. The child's exit status says which
// of these failed.
int RunWithClosed(std::initializer_list<int> closed) {
    const pid_t pid = fork();
    if (pid == 0) {
        for (const int fd : closed) {
            close(fd);
        }
        if (!CStandardDescriptors::OpenMissing()) {
            _exit(10);
        }
        for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
            struct stat st {};
            if (fstat(fd, &st) != 0) {
                _exit(20 + fd);
            }
        }
        for (const int fd : closed) {
            struct stat st {};
            fstat(fd, &st);
            if (!S_ISCHR(st.st_mode) || st.st_rdev != makedev(1, 3)) {
                _exit(30 + fd);
            }
        }
        const int next = open("/dev/null", O_RDONLY);
        _exit(next > STDERR_FILENO ? 0 : 40);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST(StandardDescriptors, ClosedOnesAreOpenedOnTheNullDeviceBeforeAnythingElse) {
    EXPECT_EQ(RunWithClosed({}), 0);
    EXPECT_EQ(RunWithClosed({STDOUT_FILENO}), 0);
    EXPECT_EQ(RunWithClosed({STDIN_FILENO, STDERR_FILENO}), 0);
    EXPECT_EQ(RunWithClosed({STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}), 0);
}

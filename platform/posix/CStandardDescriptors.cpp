#include "platform/common/CStandardDescriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

bool CStandardDescriptors::OpenMissing() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free number, which is fd itself: the ones below it are
        // open by now.
        const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened < 0) {
            return false;
        }
        if (opened != fd) {
            const bool moved = ::dup2(opened, fd) == fd;
            ::close(opened);
            if (!moved) {
                return false;
            }
        }
    }
    return true;
}

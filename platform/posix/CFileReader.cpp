#include "platform/common/CFileReader.h"

#include "PosixError.h"
#include "platform/common/ETovrikError.h"
#include "platform/common/ReadWhole.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::error_code CFileReader::ReadRegularFile(const std::string& path, std::string& text,
                                             std::int64_t& size) {
    // Non-blocking, so that opening a FIFO does not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return PosixError::Last();
    }
    struct stat st {};
    std::error_code error;
    if (::fstat(fd, &st) != 0) {
        error = PosixError::Last();
    } else if (S_ISDIR(st.st_mode)) {
        error = PosixError::Of(EISDIR);
    } else if (!S_ISREG(st.st_mode)) {
        error = ETovrikError::NotRegularFile;
    } else {
        size = st.st_size;
        error = ReadWhole(
            static_cast<std::size_t>(st.st_size), text,
            [fd](char* buffer, std::size_t room, std::size_t& got) {
                ssize_t n = 0;
                do {
                    n = ::read(fd, buffer, room);
                } while (n < 0 && errno == EINTR);
                got = n > 0 ? static_cast<std::size_t>(n) : 0;
                return n < 0 ? PosixError::Last() : std::error_code();
            },
            ETovrikError::NotEnoughMemory);  // a file far larger than any configuration
    }
    ::close(fd);
    return error;
}

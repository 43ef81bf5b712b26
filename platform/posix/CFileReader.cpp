#include "platform/CFileReader.h"

#include "PosixError.h"
#include "platform/ETovrikError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

namespace {

// Reads everything up to the end of the file.
std::error_code ReadWhole(int fd, std::size_t expectedSize, std::string& text) {
    std::size_t used = 0;
    try {
        // One byte more than the size, so that the read meeting the end of the
        // file needs no larger buffer; a file that grew meanwhile is read whole.
        text.resize(expectedSize + 1);
        for (;;) {
            if (used == text.size()) {
                text.resize(text.size() * 2);
            }
            const ssize_t n = ::read(fd, text.data() + used, text.size() - used);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                const std::error_code error = n == 0 ? std::error_code() : PosixError::Last();
                text.resize(used);
                return error;
            }
            used += static_cast<std::size_t>(n);
        }
    } catch (const std::bad_alloc&) {
        text.clear();
        text.shrink_to_fit();
        return ETovrikError::NotEnoughMemory;  // a file far larger than any configuration
    }
}

}  // namespace

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
        error = ReadWhole(fd, static_cast<std::size_t>(st.st_size), text);
    }
    ::close(fd);
    return error;
}

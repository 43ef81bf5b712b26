#include "sim/CConfigImage.h"

#include "platform/ETovrikError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Far more than any configuration; a larger file is not one.
constexpr off_t kMaxConfigBytes = off_t{64} * 1024 * 1024;

}  // namespace

std::error_code CConfigImage::Load(const std::string& path) {
    // Non-blocking, so that a FIFO is refused rather than waited on.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return {errno, std::generic_category()};
    }
    struct stat st {};
    std::string text;
    std::error_code error;
    if (fstat(fd, &st) != 0) {
        error = {errno, std::generic_category()};
    } else if (!S_ISREG(st.st_mode)) {
        error = ETovrikError::NotRegularFile;
    } else if (st.st_size > kMaxConfigBytes) {
        error = std::make_error_code(std::errc::file_too_large);
    } else {
        // Never more than the size checked: a file that grows is cut there.
        text.resize(static_cast<std::size_t>(st.st_size));
        std::size_t got = 0;
        while (got < text.size()) {
            const ssize_t n = read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                if (n < 0) {
                    error = {errno, std::generic_category()};
                }
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        text.resize(got);
    }
    close(fd);
    if (!error) {
        m_lines = SplitLines(text);
    }
    return error;
}

std::vector<std::string> CConfigImage::SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        lines.push_back(line + "\r\n");
        line.clear();
    }
    if (!line.empty()) {
        lines.push_back(line + "\r\n");
    }
    return lines;
}

#include "sim/CConfigImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// Far more than any configuration; a larger file is not one.
constexpr off_t kMaxConfigBytes = off_t{64} * 1024 * 1024;

}  // namespace

bool CConfigImage::Load(const std::string& path, std::string* pError) {
    // Non-blocking, so that a FIFO is refused rather than waited on.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *pError = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    std::string text;
    std::string error;
    if (fstat(fd, &st) != 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        error = path + " is not a regular file";
    } else if (st.st_size > kMaxConfigBytes) {
        error = path + " is larger than 64 MiB: not a configuration";
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
                    error = "cannot read " + path + ": " + std::strerror(errno);
                }
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        text.resize(got);
    }
    close(fd);
    if (!error.empty()) {
        *pError = error;
        return false;
    }
    m_lines = SplitLines(text);
    return true;
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

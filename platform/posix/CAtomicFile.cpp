#include "platform/CAtomicFile.h"

#include "PosixError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>

namespace {

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The process's umask without changing it: umask() can only be read by
// setting it, which would race with other threads creating files.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "Umask:") {
            unsigned value = 0;
            if (status >> std::oct >> value) {
                return static_cast<mode_t>(value);
            }
            break;
        }
        status.ignore(INT_MAX, '\n');
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

}  // namespace

struct CAtomicFile::Impl {
    int fd = -1;
    std::string tempPath;
    std::string targetPath;
    mode_t mode = 0;
};

CAtomicFile::CAtomicFile() : m_pImpl(std::make_unique<Impl>()) {}

CAtomicFile::~CAtomicFile() {
    if (m_pImpl->fd >= 0) {
        ::close(m_pImpl->fd);
        ::unlink(m_pImpl->tempPath.c_str());
    }
}

std::error_code CAtomicFile::Open(const std::string& target) {
    Impl& d = *m_pImpl;
    d.targetPath = target;
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // Replace the file the link points at and keep the link.
        if (char* resolved = ::realpath(target.c_str(), nullptr)) {
            d.targetPath = resolved;
            std::free(resolved);
        }
    }
    if (::stat(d.targetPath.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            return PosixError::Of(EISDIR);
        }
        // A file the user may not write is not replaced behind their back.
        if (::access(d.targetPath.c_str(), W_OK) != 0) {
            return PosixError::Last();
        }
        d.mode = st.st_mode & 07777;
    } else if (errno == ENOENT) {
        d.mode = 0666 & ~CurrentUmask();
    } else {
        return PosixError::Last();
    }

    const std::size_t slash = d.targetPath.rfind('/');
    const std::string name =
        slash == std::string::npos ? d.targetPath : d.targetPath.substr(slash + 1);
    std::string pattern = DirectoryOf(d.targetPath) + "/." + name + ".XXXXXX";
    d.fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (d.fd < 0) {
        return PosixError::Last();
    }
    d.tempPath = pattern;
    return {};
}

std::error_code CAtomicFile::Write(const char* data, std::size_t size) {
    const int fd = m_pImpl->fd;
    if (fd < 0) {
        return PosixError::Of(EBADF);
    }
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return PosixError::Last();
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return {};
}

std::error_code CAtomicFile::Commit() {
    Impl& d = *m_pImpl;
    if (d.fd < 0) {
        return PosixError::Of(EBADF);
    }
    std::error_code error;
    if (::fchmod(d.fd, d.mode) != 0) {
        error = PosixError::Last();
    }
    // The data must be on disk before the rename, so that a crash leaves either
    // the old file or the whole new one.
    if (!error && ::fdatasync(d.fd) != 0) {
        error = PosixError::Last();
    }
    // close() can report a write error that the file system deferred.
    if (::close(d.fd) != 0 && !error) {
        error = PosixError::Last();
    }
    d.fd = -1;
    if (!error && ::rename(d.tempPath.c_str(), d.targetPath.c_str()) != 0) {
        error = PosixError::Last();
    }
    if (error) {
        ::unlink(d.tempPath.c_str());
    }
    return error;
}

#include "platform/common/CAtomicFile.h"

#include "PosixError.h"
#include "platform/common/CInterruptGuard.h"
#include "platform/common/ETovrikError.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// The kernel gives up on a chain of links this long too.
constexpr int kMaxLinks = 40;

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

// The file a save to `path` writes: the end of its chain of symbolic links,
// whether that file exists or not, so that a dangling link is saved through
// and creates its file as a working one replaces it.
std::error_code FollowLinks(const std::string& path, std::string& resolved) {
    resolved = path;
    for (int links = 0;; ++links) {
        struct stat st {};
        if (::lstat(resolved.c_str(), &st) != 0) {
            return errno == ENOENT ? std::error_code() : PosixError::Last();
        }
        if (!S_ISLNK(st.st_mode)) {
            return {};
        }
        if (links == kMaxLinks) {
            return PosixError::Of(ELOOP);
        }
        std::string next(PATH_MAX, '\0');
        const ssize_t n = ::readlink(resolved.c_str(), next.data(), next.size());
        if (n < 0) {
            return PosixError::Last();
        }
        next.resize(static_cast<std::size_t>(n));
        if (!next.starts_with('/')) {
            next.insert(0, DirectoryOf(resolved) + "/");
        }
        resolved = std::move(next);
    }
}

// Whether the process may give a file any owner and group (CAP_CHOWN, which
// root normally has).
bool MayChangeOwners() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "CapEff:") {
            unsigned long long caps = 0;
            if (status >> std::hex >> caps) {
                return (caps & (1ULL << CAP_CHOWN)) != 0;
            }
            break;
        }
        status.ignore(INT_MAX, '\n');
    }
    return ::geteuid() == 0;
}

// Whether the file a save creates beside `target` can be given its owner and
// group, as Commit does: its owner is this process's user, its group that of
// the folder when the folder passes its group on, this process's otherwise.
// An owner may give a file any group the process is a member of.
bool CanKeepOwner(const struct stat& target, const std::string& directory) {
    if (MayChangeOwners()) {
        return true;
    }
    if (target.st_uid != ::geteuid()) {
        return false;
    }
    struct stat folder {};
    const gid_t created = ::stat(directory.c_str(), &folder) == 0 && (folder.st_mode & S_ISGID) != 0
                              ? folder.st_gid
                              : ::getegid();
    if (target.st_gid == created || target.st_gid == ::getegid()) {
        return true;
    }
    const int n = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(n, 0)));
    if (n <= 0 || ::getgroups(n, groups.data()) != n) {
        return false;
    }
    return std::find(groups.begin(), groups.end(), target.st_gid) != groups.end();
}

// Whether `st` is the file behind one of the program's standard descriptors:
// what the program prints for its user goes there, and a save would replace
// it under the program's own output.
bool IsStandardStream(const struct stat& st) {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        struct stat own {};
        if (::fstat(fd, &own) == 0 && own.st_dev == st.st_dev && own.st_ino == st.st_ino) {
            return true;
        }
    }
    return false;
}

// What a save to a target meets.
struct CTarget {
    std::string path;  // the file to replace or create, links followed
    bool bExists = false;
    struct stat st {};
};

std::error_code Inspect(const std::string& target, CTarget& found) {
    // stat follows every link the kernel follows, those of /proc/self/fd
    // included, so a link to a terminal or a pipe is seen for what it is.
    if (::stat(target.c_str(), &found.st) == 0) {
        if (S_ISDIR(found.st.st_mode)) {
            return PosixError::Of(EISDIR);
        }
        if (!S_ISREG(found.st.st_mode)) {
            return ETovrikError::NotRegularFile;
        }
        if (IsStandardStream(found.st)) {
            return ETovrikError::StandardStream;
        }
        found.bExists = true;
    } else if (errno != ENOENT) {
        return PosixError::Last();
    }
    if (const std::error_code error = FollowLinks(target, found.path)) {
        return error;
    }
    // A file the user may not write is not replaced behind their back.
    if (found.bExists && ::access(found.path.c_str(), W_OK) != 0) {
        return PosixError::Last();
    }
    if (::access(DirectoryOf(found.path).c_str(), W_OK | X_OK) != 0) {
        return PosixError::Last();
    }
    // Refused here rather than once the new file is written, so that a
    // command knows before it spends minutes on a transfer.
    if (found.bExists && !CanKeepOwner(found.st, DirectoryOf(found.path))) {
        return ETovrikError::OwnerNotKept;
    }
    return {};
}

}  // namespace

struct CAtomicFile::Impl {
    int fd = -1;
    std::string tempPath;
    CTarget target;
    mode_t mode = 0;

    std::error_code KeepOwner() const;
};

CAtomicFile::CAtomicFile() : m_pImpl(std::make_unique<Impl>()) {}

CAtomicFile::~CAtomicFile() {
    if (m_pImpl->fd >= 0) {
        ::close(m_pImpl->fd);
        ::unlink(m_pImpl->tempPath.c_str());
    }
}

std::error_code CAtomicFile::CheckTarget(const std::string& target) {
    CTarget found;
    return Inspect(target, found);
}

std::error_code CAtomicFile::Open(const std::string& target) {
    Impl& d = *m_pImpl;
    if (const std::error_code error = Inspect(target, d.target)) {
        return error;
    }
    d.mode = d.target.bExists ? d.target.st.st_mode & 07777 : 0666 & ~CurrentUmask();
    const std::string& path = d.target.path;
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = DirectoryOf(path) + "/." + name + ".XXXXXX";
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
    if (const std::error_code error = CInterruptGuard::SaveInterruption()) {
        return error;
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

// Root saving over another user's file must leave it theirs; a user who cannot
// give the file its owner and group back is refused rather than taking it over.
std::error_code CAtomicFile::Impl::KeepOwner() const {
    if (!target.bExists) {
        return {};
    }
    struct stat own {};
    if (::fstat(fd, &own) != 0) {
        return PosixError::Last();
    }
    if (own.st_uid == target.st.st_uid && own.st_gid == target.st.st_gid) {
        return {};
    }
    return ::fchown(fd, target.st.st_uid, target.st.st_gid) == 0
               ? std::error_code()
               : std::error_code(ETovrikError::OwnerNotKept);
}

std::error_code CAtomicFile::Commit() {
    Impl& d = *m_pImpl;
    if (d.fd < 0) {
        return PosixError::Of(EBADF);
    }
    std::error_code error = CInterruptGuard::SaveInterruption();
    if (!error) {
        error = d.KeepOwner();
    }
    // After the owner: a change of owner clears the set-user-ID bits.
    if (!error && ::fchmod(d.fd, d.mode) != 0) {
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
    // Something that is not a file may have taken the target's place meanwhile.
    struct stat now {};
    if (!error && ::lstat(d.target.path.c_str(), &now) == 0 && !S_ISREG(now.st_mode)) {
        error = S_ISDIR(now.st_mode) ? PosixError::Of(EISDIR)
                                     : std::error_code(ETovrikError::NotRegularFile);
    }
    if (!error) {
        error = CInterruptGuard::SaveInterruption();
    }
    if (!error && ::rename(d.tempPath.c_str(), d.target.path.c_str()) != 0) {
        error = PosixError::Last();
    }
    if (error) {
        ::unlink(d.tempPath.c_str());
    }
    return error;
}

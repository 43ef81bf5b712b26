#include "data/CArchive.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kWriteChunk = std::size_t{64} * 1024;
constexpr char kTextEnd = 0x1A;  // ends the text in text mode

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

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads everything up to the end of the file; 0 or the errno of the failure.
int ReadWhole(int fd, std::size_t expectedSize, std::string& text) {
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
                const int error = n == 0 ? 0 : errno;
                text.resize(used);
                return error;
            }
            used += static_cast<std::size_t>(n);
        }
    } catch (const std::bad_alloc&) {
        text.clear();
        return ENOMEM;  // a file far larger than any configuration
    }
}

}  // namespace

struct CArchive::Impl {
    // Loading: the whole text, cut at 0x1A, and the read position.
    std::string text;
    std::size_t pos = 0;
    std::int64_t fileSize = 0;

    // Storing: the temporary file, the file it replaces and the unwritten bytes.
    int fd = -1;
    std::string tempPath;
    std::string targetPath;
    mode_t mode = 0;
    std::string pending;
};

CArchive::CArchive(const std::string& path, Mode mode) : m_path(path), m_mode(mode) {
    auto impl = std::make_unique<Impl>();
    if (mode == load ? OpenForLoad(*impl) : OpenForStore(*impl)) {
        m_pImpl = impl.release();
    } else {
        errno = m_nError;
    }
}

CArchive::~CArchive() {
    if (m_pImpl != nullptr && m_pImpl->fd >= 0) {
        ::close(m_pImpl->fd);
        ::unlink(m_pImpl->tempPath.c_str());
    }
    delete m_pImpl;
}

bool CArchive::Fail(int error) {
    if (m_nError == 0) {
        m_nError = error;
    }
    return false;
}

bool CArchive::OpenForLoad(Impl& impl) {
    // One descriptor for the size and the read, so the file checked is the file read.
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return Fail(errno);
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 || Fail(errno);
    if (ok && S_ISDIR(st.st_mode)) {
        ok = Fail(EISDIR);
    } else if (ok && !S_ISREG(st.st_mode)) {
        m_strErrorText = "Not a regular file";
        ok = Fail(EINVAL);
    }
    if (ok) {
        impl.fileSize = st.st_size;
        const int error = ReadWhole(fd, static_cast<std::size_t>(st.st_size), impl.text);
        ok = error == 0 || Fail(error);
        const std::size_t textEnd = impl.text.find(kTextEnd);
        if (textEnd != std::string::npos) {
            impl.text.resize(textEnd);
        }
    }
    ::close(fd);
    return ok;
}

bool CArchive::OpenForStore(Impl& impl) {
    impl.targetPath = m_path;
    struct stat st {};
    if (::lstat(m_path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // Replace the file the link points at and keep the link.
        if (char* resolved = ::realpath(m_path.c_str(), nullptr)) {
            impl.targetPath = resolved;
            std::free(resolved);
        }
    }
    if (::stat(impl.targetPath.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            return Fail(EISDIR);
        }
        // A file the user may not write is not replaced behind their back.
        if (::access(impl.targetPath.c_str(), W_OK) != 0) {
            return Fail(errno);
        }
        impl.mode = st.st_mode & 07777;
    } else if (errno == ENOENT) {
        impl.mode = 0666 & ~CurrentUmask();
    } else {
        return Fail(errno);
    }

    const std::size_t slash = impl.targetPath.rfind('/');
    const std::string name =
        slash == std::string::npos ? impl.targetPath : impl.targetPath.substr(slash + 1);
    std::string pattern = DirectoryOf(impl.targetPath) + "/." + name + ".XXXXXX";
    impl.fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (impl.fd < 0) {
        return Fail(errno);
    }
    impl.tempPath = pattern;
    return true;
}

bool CArchive::IsOpen() const {
    return m_pImpl != nullptr;
}

std::string CArchive::GetFileName() const {
    const std::size_t slash = m_path.rfind('/');
    return slash == std::string::npos ? m_path : m_path.substr(slash + 1);
}

std::int64_t CArchive::GetFileSize() const {
    return m_pImpl != nullptr ? m_pImpl->fileSize : 0;
}

bool CArchive::ReadString(std::string& line) {
    if (m_pImpl == nullptr || m_mode != load || m_pImpl->pos >= m_pImpl->text.size()) {
        return false;
    }
    const std::string& text = m_pImpl->text;
    const std::size_t start = m_pImpl->pos;
    const std::size_t lf = text.find('\n', start);
    std::size_t end = lf == std::string::npos ? text.size() : lf;
    m_pImpl->pos = lf == std::string::npos ? text.size() : lf + 1;
    if (lf != std::string::npos && end > start && text[end - 1] == '\r') {
        --end;  // CR LF reads as LF
    }
    line.assign(text, start, end - start);
    return true;
}

void CArchive::WriteString(const std::string& text) {
    if (m_pImpl == nullptr || m_mode != store || m_nError != 0) {
        return;
    }
    m_pImpl->pending += text;
    if (m_pImpl->pending.size() >= kWriteChunk) {
        Flush();
    }
}

bool CArchive::Flush() {
    std::string& pending = m_pImpl->pending;
    const bool ok = WriteAll(m_pImpl->fd, pending.data(), pending.size()) || Fail(errno);
    pending.clear();
    return ok;
}

bool CArchive::Close() {
    if (m_pImpl == nullptr) {
        return false;
    }
    if (m_mode == load) {
        return true;
    }
    Impl& impl = *m_pImpl;
    bool ok = m_nError == 0 && Flush();
    ok = ok && (::fchmod(impl.fd, impl.mode) == 0 || Fail(errno));
    // The data must be on disk before the rename, so that a crash leaves either
    // the old file or the whole new one.
    ok = ok && (::fdatasync(impl.fd) == 0 || Fail(errno));
    // close() can report a write error that the file system deferred.
    ok = (::close(impl.fd) == 0 || Fail(errno)) && ok;
    impl.fd = -1;
    ok = ok && (::rename(impl.tempPath.c_str(), impl.targetPath.c_str()) == 0 || Fail(errno));
    if (!ok) {
        ::unlink(impl.tempPath.c_str());
        errno = m_nError;
    }
    delete m_pImpl;
    m_pImpl = nullptr;
    return ok;
}

std::string CArchive::GetErrorText() const {
    if (!m_strErrorText.empty()) {
        return m_strErrorText;
    }
    return m_nError != 0 ? std::generic_category().message(m_nError) : std::string();
}

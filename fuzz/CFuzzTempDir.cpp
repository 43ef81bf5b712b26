#include "fuzz/CFuzzTempDir.h"

#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string BaseDirectory() {
    struct stat st {};
    if (::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) && ::access("/dev/shm", W_OK) == 0) {
        return "/dev/shm";
    }
    const char* tmp = std::getenv("TMPDIR");
    return tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
}

}  // namespace

CFuzzTempDir::CFuzzTempDir() {
    std::string pattern = BaseDirectory() + "/tovrik-fuzz-XXXXXX";
    FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr,
               "cannot make a directory from " + pattern + ": " + std::strerror(errno));
    m_path = pattern;
}

CFuzzTempDir::~CFuzzTempDir() {
    for (const std::string& name : m_names) {
        ::unlink((m_path + "/" + name).c_str());
    }
    ::rmdir(m_path.c_str());
}

std::string CFuzzTempDir::File(const std::string& name) {
    if (std::find(m_names.begin(), m_names.end(), name) == m_names.end()) {
        m_names.push_back(name);
    }
    return m_path + "/" + name;
}

void CFuzzTempDir::Write(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    FUZZ_CHECK(fd >= 0, "cannot create " + path + ": " + std::strerror(errno));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        FUZZ_CHECK(n > 0 || errno == EINTR, "cannot write " + path + ": " + std::strerror(errno));
        done += n > 0 ? static_cast<std::size_t>(n) : 0;
    }
    ::close(fd);
}

std::string CFuzzTempDir::Read(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    FUZZ_CHECK(fd >= 0, "cannot open " + path + ": " + std::strerror(errno));
    std::string bytes;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        FUZZ_CHECK(n >= 0, "cannot read " + path + ": " + std::strerror(errno));
        if (n == 0) {
            break;
        }
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

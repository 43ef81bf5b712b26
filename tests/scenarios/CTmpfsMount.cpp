#include "CTmpfsMount.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

CTmpfsMount::~CTmpfsMount() {
    if (!m_strDirectory.empty()) {
        umount2(m_strDirectory.c_str(), MNT_DETACH);
    }
}

bool CTmpfsMount::Mount(const std::string& directory, int nSizeKiB) {
    const std::string options = "size=" + std::to_string(nSizeKiB) + "k,mode=0755";
    if (mount("tovrik-test", directory.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        m_strError = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
        return false;
    }
    m_strDirectory = directory;
    return true;
}

bool CTmpfsMount::RemountReadOnly() {
    if (mount(nullptr, m_strDirectory.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        m_strError = std::string("cannot remount read-only: ") + std::strerror(errno);
        return false;
    }
    return true;
}

bool CTmpfsMount::Fill(const std::string& name) {
    const int fd =
        open((m_strDirectory + "/" + name).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_strError = std::string("cannot create the filler: ") + std::strerror(errno);
        return false;
    }
    const std::string block(1024, 'x');
    // Whole blocks, then single bytes into the last page.
    while (write(fd, block.data(), block.size()) > 0) {
    }
    while (write(fd, "x", 1) > 0) {
    }
    const bool full = errno == ENOSPC;
    close(fd);
    if (!full) {
        m_strError = "the filler stopped short of a full disk";
    }
    return full;
}

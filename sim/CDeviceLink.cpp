#include "sim/CDeviceLink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

CDeviceLink::~CDeviceLink() {
    Remove();
}

std::error_code CDeviceLink::Create(const std::string& link, const std::string& target) {
    struct stat st {};
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            return std::make_error_code(std::errc::file_exists);
        }
        unlink(link.c_str());
    }
    if (symlink(target.c_str(), link.c_str()) != 0) {
        return {errno, std::generic_category()};
    }
    m_strLink = link;
    m_strTarget = target;
    return {};
}

void CDeviceLink::Remove() {
    if (m_strLink.empty()) {
        return;
    }
    char buf[4096];
    ssize_t n = readlink(m_strLink.c_str(), buf, sizeof buf);
    if (n >= 0 && std::string(buf, static_cast<size_t>(n)) == m_strTarget) {
        unlink(m_strLink.c_str());
    }
    m_strLink.clear();
}

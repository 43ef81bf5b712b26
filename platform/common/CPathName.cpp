#include "platform/common/CPathName.h"

#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kSeparators = "/\\";

std::filesystem::path FromUtf8(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string ToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

}  // namespace

std::string CPathName::FileName(const std::string& path) {
    const std::size_t slash = path.find_last_of(kSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string CPathName::Folder(const std::string& path) {
    const std::size_t slash = path.find_last_of(kSeparators);
    if (slash == std::string::npos) {
        return {};
    }
    // The root keeps its separator: "/" of "/backup.s19".
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string CPathName::Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    const char last = folder.back();
    return last == '/' || last == '\\' ? folder + name : folder + '/' + name;
}

std::string CPathName::Absolute(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(FromUtf8(path), error);
    return error ? path : ToUtf8(absolute.lexically_normal());
}

bool CPathName::Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(FromUtf8(path), error));
}

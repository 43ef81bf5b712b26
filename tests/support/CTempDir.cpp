#include "tests/support/CTempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

CTempDir::CTempDir(const std::string& base) {
    std::error_code ec;
    const std::filesystem::path root =
        base.empty() ? std::filesystem::temp_directory_path(ec) : std::filesystem::path(base);
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_strPath.empty(); ++attempt) {
        const std::filesystem::path path = root / ("tovrik-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path, ec)) {
            m_strPath = path.string();
        }
    }
}

CTempDir::~CTempDir() {
    if (!m_strPath.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_strPath, ec);
    }
}

std::string CTempDir::File(const std::string& name) const {
    return m_strPath + "/" + name;
}

std::string CTempDir::Write(const std::string& name, const std::string& content) const {
    std::string path = File(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return path;
}

std::vector<std::string> CTempDir::Names() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(m_strPath, ec)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string CTempDir::Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

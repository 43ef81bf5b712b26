#include "tests/support/CTestContext.h"

namespace {

std::string KeyOf(const std::string& section, const std::string& key) {
    return section + "/" + key;
}

}  // namespace

std::optional<int> CMemoryProfileStore::GetInt(const std::string& section, const std::string& key) {
    const auto it = m_values.find(KeyOf(section, key));
    if (it == m_values.end()) {
        return std::nullopt;
    }
    try {
        return std::stoi(it->second);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::string> CMemoryProfileStore::GetString(const std::string& section,
                                                          const std::string& key) {
    const auto it = m_values.find(KeyOf(section, key));
    return it == m_values.end() ? std::nullopt : std::optional<std::string>(it->second);
}

bool CMemoryProfileStore::WriteInt(const std::string& section, const std::string& key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool CMemoryProfileStore::WriteString(const std::string& section, const std::string& key,
                                      const std::string& value) {
    if (m_bRefuseWrites) {
        return false;
    }
    m_values[KeyOf(section, key)] = value;
    return true;
}

CSystemContext CTestContext::Make(CSystemPaths paths) {
    return Make(std::make_unique<CMemoryProfileStore>(), std::move(paths));
}

CSystemContext CTestContext::Make(std::unique_ptr<CProfileStore> store, CSystemPaths paths) {
    return CSystemContext(std::move(store), std::move(paths));
}

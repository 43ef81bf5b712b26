#include "settings/CProfile.h"

#include <mutex>
#include <utility>

namespace {

std::mutex g_mutex;
std::unique_ptr<CProfileStore>& Installed() {
    static std::unique_ptr<CProfileStore> store;
    return store;
}

}  // namespace

CProfileStore& CProfile::Store() {
    std::unique_ptr<CProfileStore>& store = Installed();
    if (!store) {
        store = CreateProfileStore();
    }
    return *store;
}

void CProfile::SetStore(std::unique_ptr<CProfileStore> store) {
    const std::lock_guard lock(g_mutex);
    Installed() = std::move(store);
}

int CProfile::GetProfileInt(const std::string& section, const std::string& key, int nDefault) {
    const std::lock_guard lock(g_mutex);
    return Store().GetInt(section, key).value_or(nDefault);
}

bool CProfile::WriteProfileInt(const std::string& section, const std::string& key, int nValue) {
    const std::lock_guard lock(g_mutex);
    return Store().WriteInt(section, key, nValue);
}

std::string CProfile::GetProfileString(const std::string& section, const std::string& key,
                                       const std::string& strDefault) {
    const std::lock_guard lock(g_mutex);
    return Store().GetString(section, key).value_or(strDefault);
}

bool CProfile::WriteProfileString(const std::string& section, const std::string& key,
                                  const std::string& strValue) {
    const std::lock_guard lock(g_mutex);
    return Store().WriteString(section, key, strValue);
}

std::string CProfile::GetWarning() {
    const std::lock_guard lock(g_mutex);
    return Store().Warning();
}

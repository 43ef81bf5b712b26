#pragma once

#include "settings/CProfileStore.h"

// The profile in the registry of the user, where the desktop program keeps it
// through QSettings on Windows:
//   HKEY_CURRENT_USER\Software\Local AppWizard-Generated Applications\Tovrik
// with one subkey per section. Numbers are written as REG_DWORD and texts as
// REG_SZ, as QSettings writes them; a number written as text (REG_SZ) reads
// as well, as it does through QSettings.
class CRegistryProfileStore : public CProfileStore {
public:
    // The key the profile lives under, below HKEY_CURRENT_USER.
    static std::string KeyPath();

    std::optional<int> GetInt(const std::string& section, const std::string& key) override;
    std::optional<std::string> GetString(const std::string& section,
                                         const std::string& key) override;
    bool WriteInt(const std::string& section, const std::string& key, int value) override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
};

#pragma once

#include "settings/CProfileStore.h"

#include <memory>
#include <string>
#include <system_error>

// The per-user profile of Tovrik and tovrik-cli: every read and write of it
// goes through here, to the store the program chose at start.
class CProfile {
public:
    static constexpr const char* kOrganization = "Local AppWizard-Generated Applications";
    static constexpr const char* kApplication = "Tovrik";

    explicit CProfile(std::unique_ptr<CProfileStore> store) : m_pStore(std::move(store)) {}

    int GetProfileInt(const std::string& section, const std::string& key, int nDefault) const;
    [[nodiscard]] std::error_code WriteProfileInt(const std::string& section,
                                                  const std::string& key, int nValue);
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& strDefault = {}) const;
    [[nodiscard]] std::error_code WriteProfileString(const std::string& section,
                                                     const std::string& key,
                                                     const std::string& strValue);

    // Why the profile is ignored (it is not a regular file, say), to be shown
    // to the user; empty when it is used. Every read then gives the default
    // and every write fails.
    std::string GetWarning() const;

private:
    std::unique_ptr<CProfileStore> m_pStore;
};

#pragma once

#include "settings/CProfileStore.h"

#include <memory>
#include <string>

// The per-user profile of Tovrik and tovrik-cli: every read and write of it
// goes through here. The store is the platform's own until a test installs
// another.
class CProfile {
public:
    static constexpr const char* kOrganization = "Local AppWizard-Generated Applications";
    static constexpr const char* kApplication = "Tovrik";

    static int GetProfileInt(const std::string& section, const std::string& key, int nDefault);
    static bool WriteProfileInt(const std::string& section, const std::string& key, int nValue);
    static std::string GetProfileString(const std::string& section, const std::string& key,
                                        const std::string& strDefault = {});
    static bool WriteProfileString(const std::string& section, const std::string& key,
                                   const std::string& strValue);

    // Why the profile is ignored (it is not a regular file, say), to be shown
    // to the user; empty when it is used. Every read then gives the default
    // and every write is dropped.
    static std::string GetWarning();

    // Replaces the store, for tests; null goes back to the platform's own.
    static void SetStore(std::unique_ptr<CProfileStore> store);

private:
    static CProfileStore& Store();
};

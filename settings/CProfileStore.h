#pragma once

#include <memory>
#include <optional>
#include <string>

// Where the per-user profile is kept: Qt's settings file on Linux, the
// registry on Windows. Sections and keys as the program names them; texts in
// UTF-8. Reads give nothing for a value that is absent or unreadable; writes
// report whether the value reached the store.
class CProfileStore {
public:
    virtual ~CProfileStore() = default;

    virtual std::optional<int> GetInt(const std::string& section, const std::string& key) = 0;
    virtual std::optional<std::string> GetString(const std::string& section,
                                                 const std::string& key) = 0;
    virtual bool WriteInt(const std::string& section, const std::string& key, int value) = 0;
    virtual bool WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    // Why the store is being ignored, for the user; empty while it is used.
    virtual std::string Warning() { return {}; }
};

// The store of this platform, under "Local AppWizard-Generated Applications" /
// "Tovrik". Supplied by the store library the program links.
std::unique_ptr<CProfileStore> CreateProfileStore();

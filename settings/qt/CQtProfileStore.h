#pragma once

#include "settings/CProfileStore.h"

// The profile in Qt's settings file of the user,
// ~/.config/Local AppWizard-Generated Applications/Tovrik.conf on Linux.
class CQtProfileStore : public CProfileStore {
public:
    std::optional<int> GetInt(const std::string& section, const std::string& key) override;
    std::optional<std::string> GetString(const std::string& section,
                                         const std::string& key) override;
    bool WriteInt(const std::string& section, const std::string& key, int value) override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
};

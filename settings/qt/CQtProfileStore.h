#pragma once

#include "settings/CProfileStore.h"

#include <QVariant>

// The profile in Qt's settings file of the user,
// ~/.config/Local AppWizard-Generated Applications/Tovrik.conf on Linux. A
// profile that exists and is not a regular file is ignored: reads give
// nothing, writes are dropped, and Warning() says why.
class CQtProfileStore : public CProfileStore {
public:
    std::optional<int> GetInt(const std::string& section, const std::string& key) override;
    std::optional<std::string> GetString(const std::string& section,
                                         const std::string& key) override;
    bool WriteInt(const std::string& section, const std::string& key, int value) override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    std::string Warning() override;

private:
    bool Usable();
    QVariant Read(const std::string& section, const std::string& key);
    bool Write(const std::string& section, const std::string& key, const QVariant& value);

    std::string m_strWarning;
};

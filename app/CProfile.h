#pragma once

#include <QString>

// The per-user profile: QSettings under "Local AppWizard-Generated
// Applications" / "Tovrik". Sections and keys as the program names them.
class CProfile {
public:
    static constexpr const char* kOrganization = "Local AppWizard-Generated Applications";
    static constexpr const char* kApplication = "Tovrik";

    static int GetProfileInt(const QString& section, const QString& key, int defaultValue);
    static bool WriteProfileInt(const QString& section, const QString& key, int value);
    static QString GetProfileString(const QString& section, const QString& key,
                                    const QString& defaultValue = QString());
    static bool WriteProfileString(const QString& section, const QString& key,
                                   const QString& value);
};

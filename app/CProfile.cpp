#include "app/CProfile.h"

#include <QSettings>

namespace {

QSettings Settings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, CProfile::kOrganization,
                     CProfile::kApplication);
}

QString KeyOf(const QString& section, const QString& key) {
    return section + '/' + key;
}

}  // namespace

int CProfile::GetProfileInt(const QString& section, const QString& key, int defaultValue) {
    bool ok = false;
    const int value = Settings().value(KeyOf(section, key), defaultValue).toInt(&ok);
    return ok ? value : defaultValue;
}

bool CProfile::WriteProfileInt(const QString& section, const QString& key, int value) {
    QSettings settings = Settings();
    settings.setValue(KeyOf(section, key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString CProfile::GetProfileString(const QString& section, const QString& key,
                                   const QString& defaultValue) {
    return Settings().value(KeyOf(section, key), defaultValue).toString();
}

bool CProfile::WriteProfileString(const QString& section, const QString& key,
                                  const QString& value) {
    QSettings settings = Settings();
    settings.setValue(KeyOf(section, key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

#include "CQtProfileStore.h"

#include "settings/CProfile.h"

#include <QSettings>
#include <QString>

namespace {

QSettings Settings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, CProfile::kOrganization,
                     CProfile::kApplication);
}

QString KeyOf(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + '/' + QString::fromStdString(key);
}

bool Write(const std::string& section, const std::string& key, const QVariant& value) {
    QSettings settings = Settings();
    settings.setValue(KeyOf(section, key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace

std::unique_ptr<CProfileStore> CreateProfileStore() {
    return std::make_unique<CQtProfileStore>();
}

std::optional<int> CQtProfileStore::GetInt(const std::string& section, const std::string& key) {
    const QVariant value = Settings().value(KeyOf(section, key));
    bool ok = false;
    const int number = value.toInt(&ok);
    return value.isValid() && ok ? std::optional<int>(number) : std::nullopt;
}

std::optional<std::string> CQtProfileStore::GetString(const std::string& section,
                                                      const std::string& key) {
    const QVariant value = Settings().value(KeyOf(section, key));
    return value.isValid() ? std::optional<std::string>(value.toString().toStdString())
                           : std::nullopt;
}

bool CQtProfileStore::WriteInt(const std::string& section, const std::string& key, int value) {
    return Write(section, key, value);
}

bool CQtProfileStore::WriteString(const std::string& section, const std::string& key,
                                  const std::string& value) {
    return Write(section, key, QString::fromStdString(value));
}

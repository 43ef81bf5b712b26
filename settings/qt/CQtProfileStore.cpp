#include "CQtProfileStore.h"

#include "settings/CProfile.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

#include <optional>

namespace {

// The user's file of the organization and application, where Qt's own user
// scope keeps them. Named here rather than by QSettings, which reads the file
// as it is constructed, and reads the organization's and the system's files
// too.
QString ProfilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' +
           QString::fromUtf8(CProfile::kOrganization) + '/' +
           QString::fromUtf8(CProfile::kApplication) + QStringLiteral(".conf");
}

QString KeyOf(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + '/' + QString::fromStdString(key);
}

}  // namespace

std::unique_ptr<CProfileStore> CreateProfileStore() {
    return std::make_unique<CQtProfileStore>();
}

// The one place that opens the profile. A file that is not there yet is
// created by the first write; anything else that is not a regular file is left
// alone: reading a FIFO would wait for a writer for ever, and a device never
// ends.
bool CQtProfileStore::Usable() {
    const QString path = ProfilePath();
    const QFileInfo file(path);
    if (!file.exists() || file.isFile()) {
        m_strWarning.clear();
        return true;
    }
    m_strWarning = "The profile " + path.toStdString() +
                   " is not a regular file: it is ignored, and no choice is remembered.";
    return false;
}

QVariant CQtProfileStore::Read(const std::string& section, const std::string& key) {
    if (!Usable()) {
        return {};
    }
    return QSettings(ProfilePath(), QSettings::IniFormat).value(KeyOf(section, key));
}

bool CQtProfileStore::Write(const std::string& section, const std::string& key,
                            const QVariant& value) {
    if (!Usable()) {
        return false;
    }
    QSettings settings(ProfilePath(), QSettings::IniFormat);
    settings.setValue(KeyOf(section, key), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

std::optional<int> CQtProfileStore::GetInt(const std::string& section, const std::string& key) {
    const QVariant value = Read(section, key);
    bool ok = false;
    const int number = value.toInt(&ok);
    return value.isValid() && ok ? std::optional<int>(number) : std::nullopt;
}

std::optional<std::string> CQtProfileStore::GetString(const std::string& section,
                                                      const std::string& key) {
    const QVariant value = Read(section, key);
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

std::string CQtProfileStore::Warning() {
    Usable();
    return m_strWarning;
}

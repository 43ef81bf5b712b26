#include "support/CAppTest.h"

#include "settings/CProfile.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <cstdlib>

QString ProfileFilePath() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, CProfile::kOrganization,
                     CProfile::kApplication)
        .fileName();
}

void ClearProfile() {
    const QString path = ProfileFilePath();
    if (QFileInfo(path).isDir()) {
        QDir(path).removeRecursively();
    }
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, CProfile::kOrganization,
                       CProfile::kApplication);
    settings.clear();
    settings.sync();
    QFile::remove(path);
}

const char* const kSampleConfig =
    "S00F000068656C6C6F202020202000003C\r\n"
    "S30700000000AABBCC\r\n"
    "S30700000002DDEEFF\r\n"
    "S70500000000FA\r\n";

void AppTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    ClearProfile();
}

void AppTest::TearDown() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        widget->close();
    }
    QCoreApplication::processEvents();
}

QString AppTest::PathOf(const QString& name) const {
    return m_dir.filePath(name);
}

QString AppTest::WriteFile(const QString& name, const QByteArray& content) const {
    QFile file(PathOf(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    file.write(content);
    return file.fileName();
}

QByteArray AppTest::ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool AppTest::Start(CTovrikApp& app, const QStringList& args) {
    app.SetErrorReporter([this](const QString& text) { m_errors << text; });
    app.SetSaveQuestion([this](const QString& text) {
        m_saveQuestions << text;
        EXPECT_NE(m_saveAnswer, QMessageBox::NoButton)
            << "unexpected question: " << text.toStdString();
        return m_saveAnswer == QMessageBox::NoButton ? QMessageBox::Cancel : m_saveAnswer;
    });
    app.SetFileChooser([this](CTovrikApp::FileDialog, const QString& filter, const QString&) {
        m_chooserFilters << filter;
        return m_chosenFile;
    });
    app.SetAboutRunner([this](QWidget*) { ++m_nAboutRuns; });
    return app.InitInstance(CCommandLineInfo::Parse(args));
}

std::unique_ptr<CTovrikApp> AppTest::StartApp(const QStringList& args) {
    auto app = std::make_unique<CTovrikApp>();
    EXPECT_TRUE(Start(*app, args)) << m_errors.join('\n').toStdString();
    return app;
}

#include "support/CAppTest.h"

#include "gui/CTransferDlg.h"
#include "settings/CProfile.h"
#include "support/CTestConfig.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTimer>

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
    app.SetFileChooser(
        [this](CTovrikApp::FileDialog kind, const QString& filter, const QString& proposed) {
            m_chooserFilters << filter;
            if (kind == CTovrikApp::FileDialog::SaveAs) {
                m_proposedPaths << proposed;
            }
            return m_chosenFile;
        });
    app.SetAboutRunner([this](QWidget*) { ++m_nAboutRuns; });
    app.SetBoxRunner([this](QWidget*, QMessageBox::Icon, const QString& caption,
                            const QString& text, QMessageBox::StandardButtons buttons,
                            QMessageBox::StandardButton defaultButton) {
        m_boxes << caption + "|" + text;
        if (buttons == QMessageBox::Ok) {
            return QMessageBox::Ok;
        }
        m_questionDefaults << defaultButton;
        EXPECT_NE(m_questionAnswer, QMessageBox::NoButton)
            << "unexpected question: " << text.toStdString();
        return m_questionAnswer == QMessageBox::NoButton ? QMessageBox::No : m_questionAnswer;
    });
    return app.InitInstance(CCommandLineInfo::Parse(args));
}

std::unique_ptr<CTovrikApp> AppTest::StartApp(const QStringList& args) {
    auto app = std::make_unique<CTovrikApp>();
    EXPECT_TRUE(Start(*app, args)) << m_errors.join('\n').toStdString();
    return app;
}

QStringList AppTest::TransferThroughTheProgram(CTovrikApp& app, int nID,
                                               const std::string& device) {
    QStringList status;
    bool started = false;
    std::function<void()> drive = [&] {
        auto* dlg = qobject_cast<CTransferDlg*>(QApplication::activeModalWidget());
        if (dlg == nullptr) {
            QTimer::singleShot(10, drive);
            return;
        }
        if (!started) {
            started = true;
            dlg->m_session.m_strDevice = device;
            dlg->m_session.m_timing = CTestConfig::Timing();
            dlg->m_btnTransfer->click();
        } else if (!dlg->m_session.m_bRunning && dlg->m_btnExit->isEnabled()) {
            for (int i = 0; i < dlg->m_lbStatus->count(); ++i) {
                status << dlg->m_lbStatus->item(i)->text();
            }
            dlg->m_btnExit->click();
            return;
        }
        QTimer::singleShot(10, drive);
    };
    QTimer::singleShot(0, drive);
    app.OnCommand(nID);
    EXPECT_TRUE(started) << "no transfer dialog came up";
    return status;
}

#include "tests/support/CAppTest.h"

#include "gui/CTransferDlg.h"
#include "settings/CProfile.h"
#include "tests/support/CAddressSpace.h"
#include "tests/support/CQtTestApp.h"
#include "tests/support/CTestConfig.h"

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
    "S30700000000AABB93\r\n"
    "S30700000002DDEE2B\r\n"
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

EAnswer AppTest::Show(const CMessageBox& box) {
    const QString text = QString::fromStdString(box.strText);
    if (box.eButtons == EBoxButtons::SaveDiscardCancel) {
        m_saveQuestions << text;
        EXPECT_NE(m_saveAnswer, QMessageBox::NoButton)
            << "unexpected question: " << text.toStdString();
        switch (m_saveAnswer) {
            case QMessageBox::Save:
                return EAnswer::Save;
            case QMessageBox::Discard:
                return EAnswer::Discard;
            default:
                return EAnswer::Cancel;
        }
    }
    if (box.eButtons == EBoxButtons::Ok && box.strCaption == "Tovrik") {
        m_errors << text;
        return EAnswer::Ok;
    }
    m_boxes << QString::fromStdString(box.strCaption) + "|" + text;
    if (box.eButtons == EBoxButtons::Ok) {
        return EAnswer::Ok;
    }
    EXPECT_NE(m_questionAnswer, QMessageBox::NoButton)
        << "unexpected question: " << text.toStdString();
    return m_questionAnswer == QMessageBox::Yes ? EAnswer::Yes : EAnswer::No;
}

std::string AppTest::ChooseFile(const CFileDialog& dialog) {
    m_chooserFilters << QString::fromStdString(dialog.strFilter);
    if (dialog.eKind == CFileDialog::SaveAs) {
        m_proposedPaths << QString::fromStdString(dialog.strProposed);
    }
    return m_chosenFile.toStdString();
}

std::string AppTest::AskText(const std::string& caption, const std::string& /*label*/,
                             const std::string& /*initial*/) {
    ADD_FAILURE() << "unexpected request for text: " << caption;
    return {};
}

void AppTest::ShowReport(const CReportBox& report) {
    ADD_FAILURE() << "unexpected report: " << report.strCaption;
}

bool AppTest::Start(CTovrikApp& app, const QStringList& args) {
    app.SetPrompter(this);
    return app.InitInstance(CCommandLineInfo::Parse(args));
}

std::unique_ptr<CTovrikApp> AppTest::StartApp(const QStringList& args) {
    auto app = std::make_unique<CTovrikApp>();
    EXPECT_TRUE(Start(*app, args)) << m_errors.join('\n').toStdString();
    return app;
}

QStringList AppTest::TransferThroughTheProgram(CTovrikApp& app, int nID,
                                               const std::string& device,
                                               CTransferTiming timing) {
    QStringList status;
    bool started = false;
    QObject guard;
    // Runs inside the dialog's modal loop.
    QTimer::singleShot(0, &guard, [&] {
        auto* dlg = qobject_cast<CTransferDlg*>(QApplication::activeModalWidget());
        if (dlg == nullptr) {
            return;
        }
        started = true;
        // The device's own wait for an answer; a simulator built with a
        // sanitizer, on a loaded machine, takes longer to make a whole one.
        timing.nRequestPauseMs = CAddressSpace::ReservingSanitizer() != nullptr
                                     ? 1000
                                     : CTransferTiming().nRequestPauseMs;
        dlg->Presenter().SetTiming(timing);
        dlg->m_btnTransfer->click();
        EXPECT_TRUE(CQtTestApp::ServeUntil(
            [dlg] { return !dlg->Presenter().Session().IsRunning(); }, 60000));
        QCoreApplication::processEvents();  // what the worker posted last
        for (int i = 0; i < dlg->m_lbStatus->count(); ++i) {
            status << dlg->m_lbStatus->item(i)->text();
        }
        if (!dlg->m_btnExit->isEnabled()) {
            ADD_FAILURE() << "Exit stays disabled after the transfer";
            dlg->done(1);
            return;
        }
        dlg->m_btnExit->click();
    });
    // COM1, the port a new profile chooses, leads to the device.
    app.GetContext().Ports().SetDevice(1, device);
    app.OnCommand(nID);
    EXPECT_TRUE(started) << "no transfer dialog came up";
    return status;
}

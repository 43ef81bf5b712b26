#include "support/CAppTest.h"

#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "gui/CAboutDlg.h"
#include "gui/CCommandTable.h"
#include "gui/CMainFrame.h"
#include "support/CPtyDevice.h"
#include "support/CTestConfig.h"
#include "support/CTestTransferDlg.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <vector>

namespace {

const QByteArray kOtherConfig = "S0030000FC\r\nS30700000010112233\r\nS70500000000FA\r\n";

// Runs `inspect` on the modal dialog that the next call opens, then lets the
// caller's call return. False when no modal dialog came up.
class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(QWidget*)> inspect) : m_inspect(std::move(inspect)) {
        QTimer::singleShot(0, [this] { Poll(); });
    }
    bool Seen() const { return m_bSeen; }

private:
    void Poll() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            m_bSeen = true;
            m_inspect(modal);
            return;
        }
        if (++m_nPolls < 200) {
            QTimer::singleShot(10, [this] { Poll(); });
        }
    }
    std::function<void(QWidget*)> m_inspect;
    bool m_bSeen = false;
    int m_nPolls = 0;
};

class AppCommandsTest : public AppTest {
protected:
    void Command(CTovrikApp& app, int nID) { app.GetMainFrame()->GetCommandAction(nID)->trigger(); }
    void Drop(CTovrikApp& app, const QStringList& paths) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls << QUrl::fromLocalFile(path);
        }
        mime.setUrls(urls);
        CMainFrame* frame = app.GetMainFrame();
        const QPointF centre = QRectF(frame->rect()).center();
        QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(frame, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(centre, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(frame, &drop);
        EXPECT_TRUE(drop.isAccepted());
        QCoreApplication::processEvents();
    }
    static QString Title(const CTovrikApp& app) { return app.GetMainFrame()->windowTitle(); }
};

TEST_F(AppCommandsTest, StartsWithoutFileOnANewDocument) {
    auto app = StartApp();
    ASSERT_NE(app->GetMainFrame(), nullptr);
    EXPECT_TRUE(app->GetMainFrame()->isVisible());
    EXPECT_EQ(Title(*app), "Tovrik");
    EXPECT_TRUE(g_recordList.IsEmpty());
    EXPECT_EQ(app->GetDocument()->m_nFileSize, 0);
    EXPECT_TRUE(m_errors.isEmpty());
}

TEST_F(AppCommandsTest, StartsWithTheNamedFileLoaded) {
    const QString path = WriteFile("backup.s19", kSampleConfig);
    auto app = StartApp({path});
    ASSERT_NE(app->GetMainFrame(), nullptr);
    EXPECT_EQ(Title(*app), "Tovrik-backup.s19");
    EXPECT_EQ(g_recordList.GetCount(), 2u);
    EXPECT_EQ(app->GetDocument()->m_nFileSize, static_cast<int>(qstrlen(kSampleConfig)));
    EXPECT_EQ(app->GetRecentFileList().value(0), QFileInfo(path).absoluteFilePath());
}

TEST_F(AppCommandsTest, MissingFileAtStartEndsWithoutAWindow) {
    const QString missing = PathOf("gone.s19");
    CTovrikApp app;
    EXPECT_FALSE(Start(app, {missing}));
    EXPECT_EQ(app.GetMainFrame(), nullptr);
    ASSERT_EQ(m_errors.size(), 1);
    EXPECT_TRUE(m_errors[0].contains(missing)) << m_errors[0].toStdString();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(qobject_cast<CMainFrame*>(widget) != nullptr && widget->isVisible());
    }
}

TEST_F(AppCommandsTest, MissingFileAtStartIsReportedInAMessageBox) {
    const QString missing = PathOf("gone.s19");
    CTovrikApp app;
    QString shown;
    ModalWatcher watcher([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            shown = box->text();
        }
        modal->close();
    });
    EXPECT_FALSE(app.InitInstance(CCommandLineInfo::Parse({missing})));
    EXPECT_TRUE(watcher.Seen());
    EXPECT_TRUE(shown.contains(missing)) << shown.toStdString();
    EXPECT_EQ(app.GetMainFrame(), nullptr);
}

TEST_F(AppCommandsTest, RefusedCommandLineEndsWithoutAWindow) {
    CTovrikApp app;
    EXPECT_FALSE(Start(app, {"a.s19", "b.s19"}));
    EXPECT_EQ(app.GetMainFrame(), nullptr);
    EXPECT_EQ(m_errors.size(), 1);
}

TEST_F(AppCommandsTest, OpenOffersTheFilterAndRetitlesTheWindow) {
    auto app = StartApp();
    m_chosenFile = WriteFile("backup.s19", kSampleConfig);
    Command(*app, ID_FILE_OPEN);
    EXPECT_EQ(m_chooserFilters, QStringList{"Tovrik Files (*.s19)"});
    EXPECT_EQ(Title(*app), "Tovrik-backup.s19");
    EXPECT_EQ(g_recordList.GetCount(), 2u);

    // Cancelling the file dialog changes nothing.
    m_chosenFile.clear();
    Command(*app, ID_FILE_OPEN);
    EXPECT_EQ(Title(*app), "Tovrik-backup.s19");
    EXPECT_EQ(g_recordList.GetCount(), 2u);
}

TEST_F(AppCommandsTest, FailedOpenLeavesTheDocumentAsItWas) {
    const QString first = WriteFile("first.s19", kSampleConfig);
    const QString notes = WriteFile("notes.txt", "Call the site on Monday.\r\n");
    auto app = StartApp({first});
    for (const QString& bad : {PathOf("missing.s19"), m_dir.path(), notes}) {
        m_errors.clear();
        m_chosenFile = bad;
        Command(*app, ID_FILE_OPEN);
        ASSERT_EQ(m_errors.size(), 1) << bad.toStdString();
        EXPECT_TRUE(m_errors[0].contains(bad)) << m_errors[0].toStdString();
        EXPECT_EQ(Title(*app), "Tovrik-first.s19");
        EXPECT_EQ(g_recordList.GetCount(), 2u);
        EXPECT_EQ(QString::fromStdString(app->GetDocument()->GetPathName()), first);
        EXPECT_EQ(app->GetRecentFileList(), QStringList{first});
    }
    EXPECT_EQ(m_errors, QStringList{notes + " is not an S-record configuration."});
}

TEST_F(AppCommandsTest, SaveAndSaveAsWriteTheFileAndTheTitleFollowsIt) {
    const QString original = WriteFile("backup.s19", kSampleConfig);
    auto app = StartApp({original});
    QFile::remove(original);
    Command(*app, ID_FILE_SAVE);
    EXPECT_EQ(ReadFile(original), QByteArray(kSampleConfig));

    m_chosenFile = PathOf("copy");
    Command(*app, ID_FILE_SAVE_AS);
    const QString copy = PathOf("copy.s19");
    EXPECT_EQ(ReadFile(copy), QByteArray(kSampleConfig));
    EXPECT_FALSE(QFileInfo::exists(PathOf("copy")));
    EXPECT_EQ(QString::fromStdString(app->GetDocument()->GetPathName()), copy);
    EXPECT_EQ(app->GetRecentFileList().value(0), copy);
    EXPECT_EQ(Title(*app), "Tovrik-copy.s19") << "the file that Save writes now";
    EXPECT_TRUE(m_errors.isEmpty());

    // A failed save is reported and the document keeps its file.
    m_chosenFile = PathOf("no/such/dir/x.s19");
    Command(*app, ID_FILE_SAVE_AS);
    EXPECT_EQ(m_errors.size(), 1);
    EXPECT_EQ(QString::fromStdString(app->GetDocument()->GetPathName()), copy);
}

TEST_F(AppCommandsTest, SaveOfAnUnnamedDocumentAsksForAName) {
    auto app = StartApp();
    m_chosenFile.clear();
    EXPECT_FALSE(app->OnFileSave());
    EXPECT_EQ(m_chooserFilters.size(), 1);
    EXPECT_TRUE(QDir(m_dir.path()).isEmpty());

    m_chosenFile = PathOf("empty");
    EXPECT_TRUE(app->OnFileSave());
    EXPECT_TRUE(QFileInfo::exists(PathOf("empty.s19")));
    EXPECT_EQ(QFileInfo(PathOf("empty.s19")).size(), 0);
}

TEST(DefaultExtension, AddedOnlyToANameWithoutOne) {
    EXPECT_EQ(CTovrikApp::WithDefaultExtension("/tmp/a"), "/tmp/a.s19");
    EXPECT_EQ(CTovrikApp::WithDefaultExtension("/tmp/a."), "/tmp/a.s19");
    EXPECT_EQ(CTovrikApp::WithDefaultExtension("/tmp/a.s19"), "/tmp/a.s19");
    EXPECT_EQ(CTovrikApp::WithDefaultExtension("/tmp/a.txt"), "/tmp/a.txt");
    EXPECT_EQ(CTovrikApp::WithDefaultExtension("/tmp/v1.2/a"), "/tmp/v1.2/a.s19");
    EXPECT_EQ(CTovrikApp::WithDefaultExtension(""), "");
}

TEST_F(AppCommandsTest, NewEmptiesTheConfigurationSoThatDownloadHasNothingToSend) {
    auto app = StartApp({WriteFile("backup.s19", kSampleConfig)});
    CQARNCfgDoc* doc = app->GetDocument();
    Command(*app, ID_FILE_NEW);
    EXPECT_EQ(app->GetDocument(), doc);
    EXPECT_EQ(Title(*app), "Tovrik");
    EXPECT_EQ(doc->m_nFileSize, 0);
    EXPECT_TRUE(doc->GetPathName().empty());
    EXPECT_EQ(CTestConfig::InMemory(*doc), "");

    CPtyDevice device;
    ASSERT_TRUE(device.Ok());
    EXPECT_EQ(TransferThroughTheProgram(*app, ID_FILE_DOWNLOAD, device.Path()),
              QStringList{"Ready to Download."});
    EXPECT_EQ(m_boxes,
              QStringList{"Warning|Cannot perform download.\nNo Configuration data loaded"});
    EXPECT_EQ(device.Received(), "");
}

TEST_F(AppCommandsTest, DownloadOfAnIncompleteConfigurationAsksFirstAndNoSendsNothing) {
    const std::string config = CTestConfig::Joined(CTestConfig::Lines(2));
    auto app = StartApp({WriteFile("small.s19", QByteArray::fromStdString(config))});
    CPtyDevice device;
    ASSERT_TRUE(device.Ok());
    m_questionAnswer = QMessageBox::No;

    EXPECT_EQ(TransferThroughTheProgram(*app, ID_FILE_DOWNLOAD, device.Path()),
              QStringList{"Ready to Download."});

    EXPECT_EQ(m_boxes, QStringList{QString("Warning|This configuration is not complete (%1 bytes "
                                           "instead of 196642). Download it anyway?")
                                       .arg(config.size())});
    EXPECT_EQ(m_questionDefaults, QList<QMessageBox::StandardButton>{QMessageBox::No});
    CTestTransferDlg::ServeFor(100);
    EXPECT_EQ(device.Received(), "");
}

TEST_F(AppCommandsTest, FirstSaveAfterAnUploadAsksForANewName) {
    const QString backup = WriteFile("backup.s19", kSampleConfig);
    auto app = StartApp({backup});
    const std::string config = CTestConfig::Joined(CTestConfig::WholeLines());
    CPtyDevice device;
    ASSERT_TRUE(device.Ok());
    device.AnswerUpload(config);
    ASSERT_EQ(TransferThroughTheProgram(*app, ID_FILE_UPLOAD, device.Path()).value(1),
              "Upload finished.");
    EXPECT_EQ(Title(*app), "Tovrik-Untitled*");

    // Ctrl+S opens Save As on a new name in the folder last used; cancelled,
    // it writes nothing.
    Command(*app, ID_FILE_SAVE);
    ASSERT_EQ(m_proposedPaths.size(), 1);
    const QRegularExpression proposal(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(m_dir.path()) + "/qarn-\\d{8}-\\d{4}\\.s19"));
    EXPECT_TRUE(proposal.match(m_proposedPaths[0]).hasMatch()) << m_proposedPaths[0].toStdString();
    EXPECT_EQ(ReadFile(backup), QByteArray(kSampleConfig));

    // Save in the save question goes the same way.
    m_saveAnswer = QMessageBox::Save;
    m_chosenFile = PathOf("device");
    Command(*app, ID_FILE_NEW);
    EXPECT_EQ(m_saveQuestions, QStringList{"Save changes to Untitled?"});
    ASSERT_EQ(m_proposedPaths.size(), 2);
    EXPECT_TRUE(proposal.match(m_proposedPaths[1]).hasMatch());
    EXPECT_EQ(ReadFile(PathOf("device.s19")).toStdString(), config);
    EXPECT_EQ(ReadFile(backup), QByteArray(kSampleConfig));
}

TEST_F(AppCommandsTest, SaveQuestionOnlyForAModifiedDocument) {
    const QString path = WriteFile("backup.s19", kSampleConfig);
    auto app = StartApp();
    // Not modified: New, Open and closing ask nothing (an unexpected question fails).
    Command(*app, ID_FILE_NEW);
    m_chosenFile = path;
    Command(*app, ID_FILE_OPEN);
    EXPECT_TRUE(m_saveQuestions.isEmpty());

    // After an upload the document is modified.
    app->GetDocument()->SetModifiedFlag(true);
    m_saveAnswer = QMessageBox::Cancel;
    Command(*app, ID_FILE_NEW);
    EXPECT_EQ(m_saveQuestions, QStringList{"Save changes to backup.s19?"});
    EXPECT_EQ(app->GetDocument()->m_nFileSize, static_cast<int>(qstrlen(kSampleConfig)));
    EXPECT_TRUE(app->GetDocument()->IsModified());

    m_saveAnswer = QMessageBox::Discard;
    Command(*app, ID_FILE_NEW);
    EXPECT_EQ(m_saveQuestions.size(), 2);
    EXPECT_EQ(app->GetDocument()->m_nFileSize, 0);
    EXPECT_FALSE(app->GetDocument()->IsModified());
}

TEST_F(AppCommandsTest, AnsweringSaveSavesBeforeGoingOn) {
    const QString path = WriteFile("backup.s19", kSampleConfig);
    const QString other = WriteFile("other.s19", kOtherConfig);
    auto app = StartApp({path});
    QFile::remove(path);
    app->GetDocument()->SetModifiedFlag(true);
    m_saveAnswer = QMessageBox::Save;
    m_chosenFile = other;
    Command(*app, ID_FILE_OPEN);
    EXPECT_EQ(ReadFile(path), QByteArray(kSampleConfig));
    EXPECT_EQ(Title(*app), "Tovrik-other.s19");
    EXPECT_EQ(g_recordList.GetCount(), 1u);
}

TEST_F(AppCommandsTest, AFailedSaveKeepsTheModifiedDocument) {
    auto app = StartApp();
    app->GetDocument()->SetModifiedFlag(true);
    m_saveAnswer = QMessageBox::Save;
    m_chosenFile = PathOf("no/such/dir/upload.s19");  // the unnamed document needs a name
    Command(*app, ID_FILE_NEW);
    EXPECT_EQ(m_errors.size(), 1);
    EXPECT_TRUE(app->GetDocument()->IsModified());
    // Closing is refused on the same grounds, so nothing is lost.
    EXPECT_FALSE(app->GetMainFrame()->close());
    EXPECT_TRUE(app->GetMainFrame()->isVisible());
}

TEST_F(AppCommandsTest, ClosingAModifiedDocumentAsksFirst) {
    auto app = StartApp();
    app->GetDocument()->SetModifiedFlag(true);
    m_saveAnswer = QMessageBox::Cancel;
    Command(*app, ID_APP_EXIT);
    EXPECT_TRUE(app->GetMainFrame()->isVisible());
    m_saveAnswer = QMessageBox::Discard;
    Command(*app, ID_APP_EXIT);
    EXPECT_FALSE(app->GetMainFrame()->isVisible());
    EXPECT_EQ(m_saveQuestions.size(), 2);
}

TEST_F(AppCommandsTest, ExitClosesAnUnmodifiedDocumentWithoutAQuestion) {
    auto app = StartApp();
    Command(*app, ID_APP_EXIT);
    EXPECT_FALSE(app->GetMainFrame()->isVisible());
}

TEST_F(AppCommandsTest, DefaultSaveQuestionOffersSaveDiscardAndCancel) {
    auto app = StartApp();
    app->SetSaveQuestion(nullptr);
    app->GetDocument()->SetModifiedFlag(true);
    QMessageBox::StandardButtons offered;
    ModalWatcher watcher([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        offered = box->standardButtons();
        box->button(QMessageBox::Discard)->click();
    });
    Command(*app, ID_FILE_NEW);
    EXPECT_TRUE(watcher.Seen());
    EXPECT_EQ(offered, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    EXPECT_FALSE(app->GetDocument()->IsModified());
}

TEST_F(AppCommandsTest, DroppedFilesOpenOneAfterTheOther) {
    const QString first = WriteFile("first.s19", kSampleConfig);
    const QString second = WriteFile("second.S19", kOtherConfig);
    auto app = StartApp();
    Drop(*app, {first, second});
    EXPECT_TRUE(m_errors.isEmpty()) << m_errors.join('\n').toStdString();
    EXPECT_EQ(Title(*app), "Tovrik-second.S19");
    EXPECT_EQ(g_recordList.GetCount(), 1u);
    EXPECT_EQ(app->GetRecentFileList(), (QStringList{second, first}));
}

TEST_F(AppCommandsTest, DroppedFolderForeignFileOrVanishedFileIsRefused) {
    const QString loaded = WriteFile("loaded.s19", kSampleConfig);
    const QString text = WriteFile("notes.txt", kSampleConfig);
    const QString vanished = PathOf("vanished.s19");
    const QString folder = PathOf("folder.s19");
    ASSERT_TRUE(QDir().mkdir(folder));
    auto app = StartApp({loaded});
    Drop(*app, {folder, text, vanished});
    ASSERT_EQ(m_errors.size(), 3);
    EXPECT_TRUE(m_errors[0].contains("folder.s19"));
    EXPECT_TRUE(m_errors[1].contains("notes.txt"));
    EXPECT_TRUE(m_errors[2].contains("vanished.s19"));
    EXPECT_EQ(Title(*app), "Tovrik-loaded.s19");
    EXPECT_EQ(g_recordList.GetCount(), 2u);
}

TEST_F(AppCommandsTest, CancelledSaveQuestionStopsTheRestOfADrop) {
    const QString first = WriteFile("first.s19", kSampleConfig);
    const QString second = WriteFile("second.s19", kOtherConfig);
    auto app = StartApp();
    app->GetDocument()->SetModifiedFlag(true);
    m_saveAnswer = QMessageBox::Cancel;
    Drop(*app, {first, second});
    EXPECT_EQ(m_saveQuestions.size(), 1);
    EXPECT_EQ(Title(*app), "Tovrik");
    EXPECT_TRUE(g_recordList.IsEmpty());
}

TEST_F(AppCommandsTest, DownloadAndUploadRunTheTransferDialogOnTheDocument) {
    auto app = StartApp();
    std::vector<std::pair<CQARNCfgDoc*, ETransferMode>> runs;
    app->GetDocument()->SetTransferLauncher(
        [&](CQARNCfgDoc& doc, ETransferMode nMode) { runs.emplace_back(&doc, nMode); });
    // Enabled on an empty document too.
    EXPECT_TRUE(app->GetMainFrame()->GetCommandAction(ID_FILE_DOWNLOAD)->isEnabled());
    EXPECT_TRUE(app->GetMainFrame()->GetCommandAction(ID_FILE_UPLOAD)->isEnabled());
    Command(*app, ID_FILE_DOWNLOAD);
    Command(*app, ID_FILE_UPLOAD);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], std::make_pair(app->GetDocument(), ETransferMode::Download));
    EXPECT_EQ(runs[1], std::make_pair(app->GetDocument(), ETransferMode::Upload));
}

TEST_F(AppCommandsTest, AboutShowsTheModalAboutBox) {
    auto app = StartApp();
    Command(*app, ID_APP_ABOUT);
    EXPECT_EQ(m_nAboutRuns, 1);

    app->SetAboutRunner(nullptr);
    QString caption, title, version;
    bool iconShown = false;
    bool okIsDefault = false;
    ModalWatcher watcher([&](QWidget* modal) {
        auto* dlg = qobject_cast<CAboutDlg*>(modal);
        ASSERT_NE(dlg, nullptr);
        caption = dlg->windowTitle();
        title = dlg->GetTitleLabel()->text();
        version = dlg->GetVersionLabel()->text();
        iconShown = !dlg->GetIconLabel()->pixmap().isNull();
        okIsDefault = dlg->GetOkButton()->isDefault() && dlg->GetOkButton()->text() == "OK";
        dlg->GetOkButton()->click();
    });
    Command(*app, ID_APP_ABOUT);
    ASSERT_TRUE(watcher.Seen());
    EXPECT_EQ(caption, "About Tovrik");
    EXPECT_EQ(title, "QARN Data Backup/Restore Tool");
    EXPECT_EQ(version, "Version 0.1.0.2");
    EXPECT_TRUE(iconShown);
    EXPECT_TRUE(okIsDefault);
}

}  // namespace

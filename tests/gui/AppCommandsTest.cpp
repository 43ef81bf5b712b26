#include "tests/support/CAppTest.h"

#include "app/CDocumentCommands.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "gui/CAboutDlg.h"
#include "gui/CCommandTable.h"
#include "gui/CDialogUnits.h"
#include "gui/CMainFrame.h"
#include "gui/CQtPrompter.h"
#include "gui/CTransferDlg.h"
#include "tests/support/CPtyDevice.h"
#include "tests/support/CTestConfig.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <vector>

namespace {

const QByteArray kOtherConfig = "S0030000FC\r\nS30700000010112233\r\nS70500000000FA\r\n";

// Runs `inspect` on the modal dialog that the next call opens, inside its
// modal loop; Seen() is false when no modal dialog came up.
class ModalWatcher {
public:
    explicit ModalWatcher(std::function<void(QWidget*)> inspect) {
        QTimer::singleShot(0, &m_guard, [this, inspect = std::move(inspect)] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                m_bSeen = true;
                inspect(modal);
            }
        });
    }
    bool Seen() const { return m_bSeen; }

private:
    QObject m_guard;  // nothing runs once the watcher is gone
    bool m_bSeen = false;
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
    static QStringList Recent(CTovrikApp& app) {
        QStringList files;
        for (const std::string& file : app.GetRecentFileList().Files()) {
            files << QString::fromStdString(file);
        }
        return files;
    }
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
    EXPECT_EQ(Recent(*app).value(0), QFileInfo(path).absoluteFilePath());
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
              (QStringList{"Ready to Download.", "Download cancelled: nothing was sent."}));
    EXPECT_EQ(m_boxes,
              QStringList{"Warning|Cannot perform download.\nNo Configuration data loaded"});
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

TEST(QtPrompter, DrawsTheButtonsAskedAndEscapeNeverGoesTheRiskyWay) {
    struct CCase {
        EBoxButtons eButtons;
        EAnswer eDefault;
        QMessageBox::StandardButtons offered;
        QMessageBox::StandardButton defaultButton;
        EAnswer eEscape;
    };
    const CCase cases[] = {
        {EBoxButtons::SaveDiscardCancel, EAnswer::Save,
         QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save,
         EAnswer::Cancel},
        {EBoxButtons::YesNo, EAnswer::No, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
         EAnswer::No},
        {EBoxButtons::Ok, EAnswer::Ok, QMessageBox::Ok, QMessageBox::Ok, EAnswer::Ok},
    };
    for (const CCase& c : cases) {
        CQtPrompter prompter;
        QMessageBox::StandardButtons offered;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        ModalWatcher watcher([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            offered = box->standardButtons();
            defaultButton = box->standardButton(box->defaultButton());
            QTest::keyClick(box, Qt::Key_Escape);
        });
        CMessageBox box;
        box.strText = "Go on?";
        box.eButtons = c.eButtons;
        box.eDefault = c.eDefault;
        EXPECT_EQ(prompter.Show(box), c.eEscape);
        EXPECT_TRUE(watcher.Seen());
        EXPECT_EQ(offered, c.offered);
        EXPECT_EQ(defaultButton, c.defaultButton);
    }
}

TEST_F(AppCommandsTest, DroppedFilesOpenOneAfterTheOther) {
    const QString first = WriteFile("first.s19", kSampleConfig);
    const QString second = WriteFile("second.S19", kOtherConfig);
    auto app = StartApp();
    Drop(*app, {first, second});
    EXPECT_TRUE(m_errors.isEmpty()) << m_errors.join('\n').toStdString();
    EXPECT_EQ(Title(*app), "Tovrik-second.S19");
    EXPECT_EQ(g_recordList.GetCount(), 1u);
    EXPECT_EQ(Recent(*app), (QStringList{second, first}));
}

TEST_F(AppCommandsTest, DownloadAndUploadRunTheTransferDialogInTheirMode) {
    auto app = StartApp();
    // Enabled on an empty document too.
    EXPECT_TRUE(app->GetMainFrame()->GetCommandAction(ID_FILE_DOWNLOAD)->isEnabled());
    EXPECT_TRUE(app->GetMainFrame()->GetCommandAction(ID_FILE_UPLOAD)->isEnabled());
    for (const auto& [nID, ready] : {std::pair{ID_FILE_DOWNLOAD, "Ready to Download."},
                                     std::pair{ID_FILE_UPLOAD, "Ready to Upload."}}) {
        QString shown;
        ModalWatcher watcher([&](QWidget* modal) {
            auto* dlg = qobject_cast<CTransferDlg*>(modal);
            ASSERT_NE(dlg, nullptr);
            shown = dlg->m_lbStatus->item(0)->text();
            dlg->m_btnExit->click();
        });
        Command(*app, nID);
        EXPECT_TRUE(watcher.Seen());
        EXPECT_EQ(shown, ready);
    }
}

TEST_F(AppCommandsTest, UploadAsksTheSaveQuestionBeforeTheDialogOpens) {
    auto app = StartApp();
    app->GetDocument()->SetModifiedFlag(true);
    m_saveAnswer = QMessageBox::Cancel;
    bool dialogShown = false;
    ModalWatcher watcher([&](QWidget* modal) {
        dialogShown = qobject_cast<CTransferDlg*>(modal) != nullptr;
        modal->close();
    });
    Command(*app, ID_FILE_UPLOAD);
    EXPECT_EQ(m_saveQuestions, QStringList{"Save changes to Untitled?"});
    EXPECT_FALSE(dialogShown);
    EXPECT_TRUE(app->GetDocument()->IsModified());
}

TEST_F(AppCommandsTest, AboutShowsTheModalAboutBox) {
    auto app = StartApp();
    QString caption, title, version;
    bool iconShown = false;
    bool okIsDefault = false;
    bool laidOutInDialogUnits = false;
    ModalWatcher watcher([&](QWidget* modal) {
        auto* dlg = qobject_cast<CAboutDlg*>(modal);
        ASSERT_NE(dlg, nullptr);
        caption = dlg->windowTitle();
        title = dlg->GetTitleLabel()->text();
        version = dlg->GetVersionLabel()->text();
        iconShown = !dlg->GetIconLabel()->pixmap().isNull();
        okIsDefault = dlg->GetOkButton()->isDefault() && dlg->GetOkButton()->text() == "OK";
        const CDialogUnits du(dlg->font());
        laidOutInDialogUnits = dlg->size() == QSize(du.X(179), du.Y(101)) &&
                               dlg->GetOkButton()->geometry() == du.Rect(69, 74, 50, 14) &&
                               dlg->GetIconLabel()->geometry() == du.Rect(17, 16, 20, 20);
        dlg->GetOkButton()->click();
    });
    Command(*app, ID_APP_ABOUT);
    ASSERT_TRUE(watcher.Seen());
    EXPECT_EQ(caption, "About Tovrik");
    EXPECT_EQ(title, "QARN Data Backup/Restore Tool");
    EXPECT_EQ(version, "Version 0.1.0.2");
    EXPECT_TRUE(iconShown);
    EXPECT_TRUE(okIsDefault);
    EXPECT_TRUE(laidOutInDialogUnits);
}

}  // namespace

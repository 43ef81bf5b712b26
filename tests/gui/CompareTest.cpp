// File > Compare with File… and Compare with Device…: the document stays as it
// was, the report comes up and copies, and the strip marks what differs.
#include "tests/support/CAppTest.h"

#include "core/data/CQARNCfgDoc.h"
#include "gui/CCommandTable.h"
#include "gui/CConfigView.h"
#include "gui/CMainFrame.h"
#include "gui/CQtPrompter.h"
#include "gui/CReportDlg.h"
#include "gui/CStripWidget.h"
#include "tests/support/CScriptedPrompter.h"
#include "tests/support/CSimProcess.h"
#include "tests/support/CTestConfig.h"

#include <QClipboard>
#include <QDir>
#include <QFontInfo>
#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>

#include <cstdlib>
#include <tuple>

namespace {

// What a compare must leave as it was.
using CDocState = std::tuple<std::string, bool, QString, std::string>;

CDocState StateOf(const CTovrikApp& app) {
    const CQARNCfgDoc& doc = *app.GetDocument();
    return {CTestConfig::InMemory(doc), doc.IsModified(), app.GetMainFrame()->windowTitle(),
            doc.GetPathName()};
}

// The tooltip the strip shows with the pointer `x` pixels into its bar.
QString StripTip(CStripWidget& strip, int x) {
    const QRect bar = strip.BarRect();
    const QPoint pos(bar.left() + x, bar.center().y());
    QHelpEvent help(QEvent::ToolTip, pos, strip.mapToGlobal(pos));
    QCoreApplication::sendEvent(&strip, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

// The program with a scripted user; the device tests need qarn-sim.
class CompareTest : public AppTest {
protected:
    void SetUp() override {
        if (CSimProcess::ProgramPath().empty()) {
            GTEST_SKIP() << "QARN_SIM not set: qarn-sim not built";
        }
        AppTest::SetUp();
    }
    std::unique_ptr<CTovrikApp> StartScripted(const QStringList& args) {
        auto app = std::make_unique<CTovrikApp>();
        app->SetPrompter(&m_user);
        EXPECT_TRUE(app->InitInstance(CCommandLineInfo::Parse(args)));
        return app;
    }
    static QString ViewText(const CTovrikApp& app) {
        return app.GetMainFrame()->GetView()->toPlainText();
    }

    CScriptedPrompter m_user;
};

TEST_F(CompareTest, CompareWithFileShowsTheReportAndLeavesTheDocumentAsItWas) {
    std::vector<std::string> lines = CTestConfig::Lines(4);
    const QString backup =
        WriteFile("backup.s19", QByteArray::fromStdString(CTestConfig::Joined(lines)));
    lines[3] = CTestConfig::DataLine(0x20, std::string(16, 'Z'));
    const QString edited =
        WriteFile("edited.s19", QByteArray::fromStdString(CTestConfig::Joined(lines)));

    auto app = StartScripted({});
    CStripWidget& strip = *app->GetMainFrame()->GetStrip();
    EXPECT_TRUE(strip.BarRect().isEmpty()) << "nothing held, no bar";
    m_user.QueueFile(backup.toStdString());
    app->OnCommand(ID_FILE_OPEN);
    const CDocState before = StateOf(*app);

    m_user.QueueFile(edited.toStdString());
    app->GetMainFrame()->GetCommandAction(ID_FILE_COMPARE_FILE)->trigger();
    EXPECT_EQ(StateOf(*app), before);
    ASSERT_EQ(m_user.Reports().size(), 1u);
    const CReportBox& report = m_user.Reports()[0];
    EXPECT_EQ(report.strCaption, "Compare with File");
    ASSERT_GE(report.lines.size(), 4u);
    EXPECT_EQ(report.lines[0], "Compared backup.s19 with edited.s19:");
    EXPECT_EQ(report.lines[1], "different: 1 range, 16 bytes");
    EXPECT_EQ(report.lines.back().rfind("00000020-0000002F: ", 0), 0u) << report.lines.back();

    // The view and the strip show the compare until the document changes.
    EXPECT_TRUE(ViewText(*app).contains("Compared with: edited.s19"));
    const int x = strip.BarRect().width() * 5 / 8;  // the third of four records
    EXPECT_TRUE(StripTip(strip, x).startsWith("00000020-0000002F: "));
    m_user.QueueFile(edited.toStdString());
    app->OnCommand(ID_FILE_OPEN);
    EXPECT_FALSE(ViewText(*app).contains("Compared with"));
    EXPECT_TRUE(StripTip(strip, x).endsWith(": data, 64 bytes"));
    EXPECT_TRUE(m_user.ScriptUsed());
}

// A session at the device: first it holds the sample, then a restore of it
// that did not take.
TEST_F(CompareTest, WithDeviceLeavesUnsavedChangesAndNamesWhatTheDeviceDidNotStore) {
    CSimProcess sim(
        {"--config", TOVRIK_SAMPLE_S19, "--baud", "0", "--keep-received", "--store-bitflip", "5"});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    auto app = StartScripted({TOVRIK_SAMPLE_S19});
    app->GetDocument()->SetModifiedFlag(true);  // unsaved changes, as an edit leaves them
    CDocState before = StateOf(*app);
    std::get<2>(before) = "Tovrik-sample.s19*";  // the title once the window is drawn again

    EXPECT_TRUE(TransferThroughTheProgram(*app, ID_FILE_COMPARE_DEVICE, sim.DevicePath())
                    .contains("Compared with the configuration in memory: identical files. "
                              "Exit shows the report."));
    EXPECT_EQ(StateOf(*app), before);
    ASSERT_EQ(m_user.Reports().size(), 1u);
    EXPECT_EQ(m_user.Reports()[0].strCaption, "Compare with Device");
    EXPECT_EQ(
        m_user.Reports()[0].lines,
        (std::vector<std::string>{"Compared sample.s19 with the device:", "identical files"}));

    CTransferTiming unpaced = CTestConfig::Timing();
    unpaced.nLinePauseMs = 0;  // the simulator keeps up with any pace
    ASSERT_TRUE(TransferThroughTheProgram(*app, ID_FILE_DOWNLOAD, sim.DevicePath(), unpaced)
                    .contains("Download finished."));
    TransferThroughTheProgram(*app, ID_FILE_COMPARE_DEVICE, sim.DevicePath());
    EXPECT_EQ(StateOf(*app), before);
    ASSERT_EQ(m_user.Reports().size(), 2u);
    const std::vector<std::string>& lines = m_user.Reports()[1].lines;
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1], "different: 1 range, 1 byte");
    EXPECT_EQ(lines.back().rfind("0000006E: 1 byte differs", 0), 0u) << lines.back();

    // One byte in 78624 still gets a pixel of its own, drawn over the data.
    CStripWidget& strip = *app->GetMainFrame()->GetStrip();
    EXPECT_TRUE(StripTip(strip, 0).startsWith("0000006E: 1 byte differs"));
    EXPECT_TRUE(StripTip(strip, strip.BarRect().width() / 2).startsWith("00000000-0001331F: data"));

    // scripts/qt-screenshots.sh takes the README's picture here.
    if (const char* folder = std::getenv("TOVRIK_SCREENSHOTS")) {
        EXPECT_TRUE(app->GetMainFrame()->grab().save(QDir(folder).filePath("compare.png")));
    }
}

TEST(ReportDialog, ShowsTheLinesReadOnlyAndCopiesThem) {
    const CReportBox report{"Compare with Device",
                            {"Compared sample.s19 with the device:", "different: 1 range, 1 byte",
                             "", "0000006E: 1 byte differs (01 / 00)"}};
    const QString joined =
        "Compared sample.s19 with the device:\ndifferent: 1 range, 1 byte\n\n"
        "0000006E: 1 byte differs (01 / 00)";
    QGuiApplication::clipboard()->clear();
    bool seen = false;
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
        auto* dlg = qobject_cast<CReportDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        seen = true;
        EXPECT_EQ(dlg->windowTitle(), "Compare with Device");
        EXPECT_EQ(dlg->GetText()->toPlainText(), joined);
        EXPECT_TRUE(dlg->GetText()->isReadOnly());
        EXPECT_TRUE(QFontInfo(dlg->GetText()->font()).fixedPitch());
        dlg->GetCopyButton()->click();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), joined);
        dlg->GetOkButton()->click();
    });
    CQtPrompter().ShowReport(report);
    EXPECT_TRUE(seen) << "no report dialog came up";
}

}  // namespace

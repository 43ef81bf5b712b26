// Transfers run from the dialog over a pseudo-terminal, and the ways out of it.
#include "gui/CProgressCtrl.h"
#include "support/CPtyDevice.h"
#include "support/CTestTransferDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <thread>

namespace {

const std::string kUploadHeader = "S00F000068656C6C6F202020202000003C\r\n";
const std::string kUploadRecord = "S30D00001000AABBCCDDEEFF0011D6\r\n";
const std::string kUploadEnd = "S70500000000FA\r\n";

class CTransferDlgTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        CTestTransferDlg::ClearProfile();
        ASSERT_TRUE(m_device.Ok()) << m_device.Error();
        m_dlg.m_session.m_strDevice = m_device.Path();
        m_dlg.UseShortTiming();
    }

    void TearDown() override { g_recordList.RemoveAll(); }

    bool WaitForWorkerEnd() {
        return CTestTransferDlg::ServeUntil([this] { return !m_dlg.m_session.m_bRunning; }, 8000);
    }

    void ExpectTransferControlsEnabled(bool enabled) {
        for (QWidget* w : std::initializer_list<QWidget*>{m_dlg.m_btnTransfer, m_dlg.m_cbBaudRate,
                                                          m_dlg.m_cbPort, m_dlg.m_btnExit}) {
            EXPECT_EQ(w->isEnabled(), enabled) << w->metaObject()->className();
        }
    }

    // An upload of `answer`, which is not whole: the status line, a box with
    // `caption` that names `finding`, and the configuration held before back.
    void ExpectNotWholeAnswer(const std::string& answer, const QString& status,
                              const QString& caption, const QString& finding) {
        CTestConfig::Load(m_doc, CTestConfig::Lines(4));
        const std::string before = CTestConfig::InMemory(m_doc);
        m_device.AnswerUpload(answer);
        m_dlg.Init(&m_doc, ETransferMode::Upload);
        m_dlg.OnStartTransfer();
        ASSERT_TRUE(WaitForWorkerEnd());
        CTestTransferDlg::ServeFor(60);

        EXPECT_EQ(m_dlg.StatusLines(), (QStringList{"Uploading data.", status}));
        ASSERT_EQ(m_dlg.m_boxes.size(), 1u);
        EXPECT_EQ(m_dlg.m_boxes[0].caption, caption);
        EXPECT_TRUE(m_dlg.m_boxes[0].text.contains(finding)) << m_dlg.m_boxes[0].text.toStdString();
        EXPECT_TRUE(m_dlg.m_boxes[0].text.endsWith(
            "The configuration held before is kept. Please upload again."));
        EXPECT_EQ(m_dlg.m_progress->GetPos(), 0);
        ExpectTransferControlsEnabled(true);
        m_dlg.OnOK();
        EXPECT_EQ(CTestConfig::InMemory(m_doc), before);
        EXPECT_FALSE(m_doc.IsModified());
    }

    static qint64 MsToRun(const std::function<void()>& f) {
        QElapsedTimer timer;
        timer.start();
        f();
        return timer.elapsed();
    }

    CPtyDevice m_device;
    CQARNCfgDoc m_doc;
    CTestTransferDlg m_dlg;
    CWatchdog m_watchdog{30};
};

TEST_F(CTransferDlgTransferTest, DownloadWithoutRecordsIsRefusedAndNothingElseHappens) {
    m_dlg.Init(&m_doc, ETransferMode::Download);
    m_dlg.OnStartTransfer();

    ASSERT_EQ(m_dlg.m_boxes.size(), 1u);
    EXPECT_EQ(m_dlg.m_boxes[0].text, "Cannot perform download.\nNo Configuration data loaded");
    EXPECT_EQ(m_dlg.m_boxes[0].caption, "Warning");
    EXPECT_EQ(m_dlg.m_boxes[0].icon, QMessageBox::Warning);
    EXPECT_EQ(m_dlg.windowTitle(), "Tovrik - QARN Data Backup/Restore");
    EXPECT_EQ(m_dlg.StatusLines(), QStringList{"Ready to Download."});
    ExpectTransferControlsEnabled(true);
    EXPECT_FALSE(m_dlg.m_session.m_bRunning);
    CTestTransferDlg::ServeFor(100);
    EXPECT_EQ(m_device.Received(), "");
}

TEST_F(CTransferDlgTransferTest, DownloadRunsToItsEndAndCountsEveryByte) {
    CTestConfig::Load(m_doc, CTestConfig::Lines(3));
    m_doc.m_nFileSize = 0;  // records from an upload: the full image is the range
    // A pseudo-terminal drops what its reader has not taken when the port
    // closes; the pauses give the reader time.
    m_dlg.m_session.m_timing.nLinePauseMs = 20;
    m_dlg.m_session.m_timing.nPowerCyclePauseMs = 50;
    m_dlg.Init(&m_doc, ETransferMode::Download);
    EXPECT_EQ(m_dlg.m_progress->GetUpper(), 0);

    m_dlg.OnStartTransfer();
    EXPECT_EQ(m_dlg.windowTitle(), "Tovrik - QARN Data Backup/Restore - DownLoading");
    EXPECT_EQ(m_dlg.m_progress->GetUpper(), 196642);
    EXPECT_TRUE(m_dlg.StatusLines().isEmpty());
    ExpectTransferControlsEnabled(false);
    ASSERT_TRUE(WaitForWorkerEnd());
    CTestTransferDlg::ServeFor(60);

    int bytes =
        static_cast<int>(m_doc.m_pHeader->GetLine().size() + m_doc.m_pEndRecord->GetLine().size());
    for (const std::string& line : CTestConfig::RecordLines()) {
        bytes += static_cast<int>(line.size());
    }
    EXPECT_EQ(
        m_dlg.StatusLines(),
        (QStringList{"Downloading data.", "Download finished.",
                     QString("%1 bytes have been successfully downloaded into the QARN").arg(bytes),
                     "Power cycle QARN."}));
    EXPECT_EQ(m_dlg.m_progress->GetPos(), bytes);
    EXPECT_EQ(m_dlg.m_editBytes->text(), QString("%1 of 196642").arg(bytes));
    EXPECT_EQ(m_dlg.windowTitle(), "Tovrik - QARN Data Backup/Restore");
    ExpectTransferControlsEnabled(true);
    std::string sent = "\r\n\r\n#CU\r\n" + m_doc.m_pHeader->GetLine();
    for (const std::string& line : CTestConfig::RecordLines()) {
        sent += line;
    }
    EXPECT_EQ(m_device.Received(), sent + m_doc.m_pEndRecord->GetLine());
}

TEST_F(CTransferDlgTransferTest, IncompleteConfigurationGoesOutOnlyWhenTheUserSaysYes) {
    CTestConfig::Load(m_doc, CTestConfig::Lines(2));
    std::string bad = CTestConfig::DataLine(0x20);
    bad[14] = bad[14] == '0' ? '1' : '0';
    m_doc.StoreLine(bad);  // after the end line, and with a wrong checksum
    m_dlg.m_bAnswerYes = false;
    m_dlg.Init(&m_doc, ETransferMode::Download);

    m_dlg.OnStartTransfer();
    ASSERT_EQ(m_dlg.m_questions.size(), 1);
    EXPECT_TRUE(m_dlg.m_questions[0].startsWith(
        "This configuration is not complete (the S7 line is not the last; 1 record fails its "
        "checksum; "))
        << m_dlg.m_questions[0].toStdString();
    EXPECT_TRUE(m_dlg.m_questions[0].endsWith(" bytes instead of 196642). Download it anyway?"));
    EXPECT_FALSE(m_dlg.m_session.m_bRunning);
    EXPECT_EQ(m_dlg.StatusLines(), QStringList{"Ready to Download."});
    ExpectTransferControlsEnabled(true);

    m_dlg.m_bAnswerYes = true;
    m_dlg.OnStartTransfer();
    ASSERT_TRUE(WaitForWorkerEnd());
    EXPECT_EQ(m_dlg.m_session.m_eOutcome, ETransferOutcome::Finished);
    EXPECT_TRUE(m_device.WaitForBytes(CTestConfig::InMemory(m_doc).size(), 2000));
}

// Until the user may keep such an answer, the dialog says why it did not
// finish and that the configuration held before stays.
TEST_F(CTransferDlgTransferTest, DamagedUploadSaysSoAndPutsTheConfigurationBack) {
    std::string bad = kUploadRecord;
    bad[20] = 'F';
    ExpectNotWholeAnswer(kUploadHeader + kUploadRecord + bad + kUploadEnd,
                         "Upload damaged: 1 record fails its checksum.", "Upload Damaged",
                         "line 3: checksum D6, should be ");
}

TEST_F(CTransferDlgTransferTest, IncompleteUploadSaysSoAndPutsTheConfigurationBack) {
    const int total =
        static_cast<int>(kUploadHeader.size() + 2 * kUploadRecord.size() + kUploadEnd.size());
    ExpectNotWholeAnswer(
        kUploadHeader + kUploadRecord + kUploadRecord + kUploadEnd,
        QString("Upload incomplete: %1 bytes instead of 196642; 1 overlap in the addresses.")
            .arg(total),
        "Upload Incomplete", "line 3: address 00001000 where 00001008 follows on: an overlap");
}

TEST_F(CTransferDlgTransferTest, CancelDuringDownloadStopsTheWorkerAndKeepsRecords) {
    CTestConfig::Load(m_doc, CTestConfig::Lines(30));
    const auto before = CTestConfig::RecordLines();
    m_dlg.m_session.m_timing.nLinePauseMs = 100;
    m_dlg.Init(&m_doc, ETransferMode::Download);
    m_dlg.OnStartTransfer();
    ASSERT_TRUE(CTestTransferDlg::ServeUntil(
        [this] { return m_dlg.m_editBytes->text() != "0 of 196642"; }, 5000));

    const qint64 ms = MsToRun([this] { m_dlg.OnCancel(); });
    EXPECT_GE(ms, 1000);
    ASSERT_EQ(m_dlg.m_boxes.size(), 1u);
    EXPECT_EQ(m_dlg.m_boxes[0].text, "Download aborted.\nPlease power cycle QARN.");
    EXPECT_EQ(m_dlg.m_boxes[0].caption, "Info");
    EXPECT_EQ(m_dlg.m_boxes[0].icon, QMessageBox::Information);
    EXPECT_FALSE(m_dlg.m_session.m_bRunning);
    EXPECT_FALSE(m_dlg.m_port.IsOpen());
    EXPECT_EQ(m_dlg.result(), 1);
    EXPECT_EQ(CTestConfig::RecordLines(), before);
    EXPECT_EQ(m_device.Received().find(before.back()), std::string::npos);
    EXPECT_FALSE(m_dlg.StatusLines().contains("Download finished."));
}

TEST_F(CTransferDlgTransferTest, CancelWhileReadyAsksNothingAndTakesASecond) {
    m_dlg.Init(&m_doc, ETransferMode::Upload);
    const qint64 ms = MsToRun([this] { m_dlg.OnCancel(); });
    EXPECT_GE(ms, 1000);
    EXPECT_LT(ms, 3000);
    EXPECT_TRUE(m_dlg.m_boxes.empty());
    EXPECT_EQ(m_dlg.result(), 1);
}

TEST_F(CTransferDlgTransferTest, UploadTakesTheRecordsAsItStartsAndGivesThemBackWithoutAnswer) {
    CTestConfig::Load(m_doc, CTestConfig::Lines(4));
    const auto before = CTestConfig::RecordLines();
    m_dlg.Init(&m_doc, ETransferMode::Upload);
    m_dlg.OnStartTransfer();

    EXPECT_TRUE(g_recordList.IsEmpty());
    EXPECT_EQ(m_dlg.windowTitle(), "Tovrik - QARN Data Backup/Restore - Uploading");
    EXPECT_TRUE(m_dlg.StatusLines().isEmpty());
    ExpectTransferControlsEnabled(false);

    ASSERT_TRUE(WaitForWorkerEnd());
    EXPECT_EQ(m_dlg.StatusLines(), QStringList{"No connection. could not upload data."});
    ExpectTransferControlsEnabled(true);
    m_dlg.OnOK();
    EXPECT_EQ(CTestConfig::RecordLines(), before);
    EXPECT_FALSE(m_doc.IsModified());
}

TEST_F(CTransferDlgTransferTest, FinishedUploadIsKeptOnExit) {
    CTestConfig::Load(m_doc, CTestConfig::Lines(4));
    const std::string whole = CTestConfig::Joined(CTestConfig::WholeLines());
    m_device.AnswerUpload(whole);
    m_dlg.Init(&m_doc, ETransferMode::Upload);
    m_dlg.OnStartTransfer();
    ASSERT_TRUE(
        CTestTransferDlg::ServeUntil([this] { return !m_dlg.m_session.m_bRunning; }, 60000));
    CTestTransferDlg::ServeFor(60);

    EXPECT_EQ(m_dlg.StatusLines(),
              (QStringList{"Uploading data.", "Upload finished.",
                           "196642 of 196642 bytes have been successfully uploaded into RAM"}));
    EXPECT_TRUE(m_dlg.m_boxes.empty());
    EXPECT_EQ(m_dlg.m_progress->GetPos(), 196642) << "full at the end";
    EXPECT_EQ(m_dlg.m_editBytes->text(), "196642 of 196642");
    EXPECT_EQ(m_dlg.windowTitle(), "Tovrik - QARN Data Backup/Restore");

    const qint64 ms = MsToRun([this] { m_dlg.OnOK(); });
    EXPECT_LT(ms, 500);  // no worker left to wait for
    EXPECT_EQ(CTestConfig::InMemory(m_doc), whole);
    EXPECT_TRUE(m_doc.IsModified());
}

TEST_F(CTransferDlgTransferTest, CancelDuringUploadPutsTheConfigurationBack) {
    CTestConfig::Load(m_doc, CTestConfig::Lines(4));
    const auto before = CTestConfig::RecordLines();
    const std::string endBefore = m_doc.m_pEndRecord->GetLine();
    std::string answer = kUploadHeader;
    for (int i = 0; i < 100; ++i) {
        answer += kUploadRecord;
    }
    m_device.AnswerUpload(answer + kUploadEnd, 1);
    m_dlg.Init(&m_doc, ETransferMode::Upload);
    m_dlg.OnStartTransfer();
    ASSERT_TRUE(
        CTestTransferDlg::ServeUntil([this] { return m_dlg.m_progress->GetPos() > 150; }, 5000));

    m_dlg.OnCancel();
    ASSERT_EQ(m_dlg.m_boxes.size(), 1u);
    EXPECT_EQ(m_dlg.m_boxes[0].text, "Upload aborted.\nPlease power cycle QARN.");
    EXPECT_EQ(m_dlg.m_boxes[0].caption, "Info");
    EXPECT_FALSE(m_dlg.m_session.m_bRunning);
    EXPECT_FALSE(m_dlg.m_session.m_bUploadDone);
    EXPECT_EQ(CTestConfig::RecordLines(), before);
    EXPECT_EQ(m_doc.m_pEndRecord->GetLine(), endBefore);
    EXPECT_FALSE(m_doc.IsModified());
}

// A loaded configuration survives opening File > Upload and leaving it.
TEST_F(CTransferDlgTransferTest, UploadDialogLeftWithoutATransferKeepsTheRecords) {
    CTestConfig::Load(m_doc, CTestConfig::Lines(4));
    const auto before = CTestConfig::RecordLines();
    QTimer::singleShot(0, [] {
        auto* dlg = qobject_cast<CTransferDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        dlg->m_btnExit->click();
    });
    CTransferDlg::Run(nullptr, m_doc, ETransferMode::Upload);
    EXPECT_EQ(CTestConfig::RecordLines(), before);
}

TEST_F(CTransferDlgTransferTest, EveryWayOfClosingGivesOne) {
    const std::function<void(CTransferDlg&)> ways[] = {
        [](CTransferDlg& dlg) { dlg.m_btnExit->click(); },
        [](CTransferDlg& dlg) {
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(&dlg, &enter);
        },
        [](CTransferDlg& dlg) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&dlg, &esc);
        },
        [](CTransferDlg& dlg) { dlg.close(); },
    };
    for (const auto& way : ways) {
        CTestTransferDlg dlg;
        QTimer::singleShot(0, &dlg, [&] { way(dlg); });
        EXPECT_EQ(dlg.DoModal(&m_doc, ETransferMode::Download), 1);
        EXPECT_TRUE(dlg.isHidden());
    }
}

// The worker waits for the interface thread in each of its calls; Exit and
// Cancel wait for the worker. While they wait, the worker must still be served.
class CTransferDlgWaitTest : public CTransferDlgTransferTest,
                             public ::testing::WithParamInterface<bool> {};

TEST_P(CTransferDlgWaitTest, ClosingKeepsServingABusyWorker) {
    const bool cancel = GetParam();
    m_dlg.Init(&m_doc, ETransferMode::Download);
    m_dlg.m_session.m_bRunning = true;  // raised before the thread runs, as a start does
    std::thread worker([this] {
        int n = 0;
        while (!m_dlg.m_session.m_bAbort) {
            m_dlg.AddStatus("tick " + std::to_string(n++));
            m_dlg.StepProgress();
            m_dlg.UpdateByteCount(n);
        }
        // Calls that come after the abort request are served too.
        m_dlg.SetCaption("late");
        m_dlg.ShowMessageBox("late box", "Communication Error");
        m_dlg.EnableControls();
        m_dlg.m_session.m_bRunning = false;
    });
    CTestTransferDlg::ServeFor(100);
    if (cancel) {
        m_dlg.OnCancel();
    } else {
        m_dlg.OnOK();
    }
    worker.join();

    EXPECT_FALSE(m_dlg.m_session.m_bRunning);
    EXPECT_EQ(m_dlg.windowTitle(), "late");
    ASSERT_FALSE(m_dlg.m_boxes.empty());
    EXPECT_EQ(m_dlg.m_boxes.back().text, "late box");
    EXPECT_EQ(m_dlg.m_boxes.size(), cancel ? 2u : 1u);
    EXPECT_GT(m_dlg.m_lbStatus->count(), 1);
    EXPECT_EQ(m_dlg.result(), 1);
}

INSTANTIATE_TEST_SUITE_P(ExitAndCancel, CTransferDlgWaitTest, ::testing::Bool());

}  // namespace

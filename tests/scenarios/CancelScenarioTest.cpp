// Cancel in the transfer dialog at every phase of a transfer with qarn-sim:
// the dialog says the transfer was aborted, closes within a few seconds, the
// device gets whole lines only, and a cancelled upload leaves the
// configuration in memory exactly as it was.
#include "CGatedTransferDlg.h"
#include "support/CSimProcess.h"
#include "support/CTempDir.h"
#include "support/CTestConfig.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLineEdit>

#include <string>
#include <vector>

namespace {

const std::string kOld = "S0030000FC\r\nold\r\n";
const std::vector<std::string> kPreamble{"\r\n", "\r\n", "#CU\r\n"};

// The lines qarn-sim logged as received, in order.
std::vector<std::string> ReceivedLines(const std::string& log) {
    std::vector<std::string> lines;
    const std::string mark = "received \"";
    for (std::size_t at = log.find(mark); at != std::string::npos; at = log.find(mark, at)) {
        at += mark.size();
        const std::size_t end = log.find("\"\n", at);
        std::string line;
        for (std::size_t i = at; i < end; ++i) {
            if (log[i] == '\\' && i + 1 < end) {
                const char c = log[++i];
                line += c == 'r' ? '\r' : c == 'n' ? '\n' : c;
            } else {
                line += log[i];
            }
        }
        lines.push_back(line);
        at = end;
    }
    return lines;
}

}  // namespace

class CancelScenario : public ::testing::Test {
protected:
    void SetUp() override {
        if (CSimProcess::ProgramPath().empty()) {
            GTEST_SKIP() << "QARN_SIM not set: qarn-sim not built";
        }
        CTestTransferDlg::ClearProfile();
        m_device = CTestConfig::Lines(6);
        m_received = m_dir.Write("received.s19", kOld);
        m_log = m_dir.File("sim.log");
        m_sim = std::make_unique<CSimProcess>(std::vector<std::string>{
            "--config", m_dir.Write("device.s19", CTestConfig::Joined(m_device)), "--received",
            m_received, "--log", m_log, "--baud", "0"});
        ASSERT_TRUE(m_sim->Start()) << m_sim->Error();
        m_dlg.m_session.m_strDevice = m_sim->DevicePath();
        m_dlg.UseShortTiming();
    }

    void TearDown() override { g_recordList.RemoveAll(); }

    void Start(ETransferMode nMode) {
        m_dlg.Init(&m_doc, nMode);
        m_dlg.OnStartTransfer();
    }

    // Cancel as the user presses it; how long the dialog took to close.
    // bAborts: the dialog says the transfer was aborted.
    qint64 Cancel(bool bAborts = true) {
        QElapsedTimer timer;
        timer.start();
        m_dlg.OnCancel();
        const qint64 ms = timer.elapsed();
        EXPECT_FALSE(m_dlg.m_session.m_bRunning);
        EXPECT_FALSE(m_dlg.m_port.IsOpen());
        EXPECT_EQ(m_dlg.result(), 1);
        EXPECT_LT(ms, 3000);
        const QString text = m_dlg.m_session.m_nMode == ETransferMode::Upload
                                 ? "Upload aborted.\nPlease power cycle QARN."
                                 : "Download aborted.\nPlease power cycle QARN.";
        EXPECT_EQ(m_dlg.m_boxes.size(), bAborts ? 1u : 0u);
        if (!m_dlg.m_boxes.empty()) {
            EXPECT_EQ(m_dlg.m_boxes[0].text, text);
            EXPECT_EQ(m_dlg.m_boxes[0].caption, "Info");
        }
        return ms;
    }

    // What the device received, once it has read everything sent.
    std::vector<std::string> DeviceReceived() {
        CTestTransferDlg::ServeFor(150);
        m_sim->Stop();
        return ReceivedLines(CTempDir::Read(m_log));
    }

    std::vector<std::string> Sent(std::size_t nLines) const {
        std::vector<std::string> lines = kPreamble;
        lines.insert(lines.end(), m_config.begin(),
                     m_config.begin() + static_cast<std::ptrdiff_t>(nLines));
        return lines;
    }

    CTempDir m_dir;
    std::vector<std::string> m_device;  // what the device holds
    std::vector<std::string> m_config;  // what the document holds
    std::string m_received;
    std::string m_log;
    std::unique_ptr<CSimProcess> m_sim;
    CQARNCfgDoc m_doc;
    CGatedTransferDlg m_dlg;
    CWatchdog m_watchdog{30};
};

class CancelDownload : public CancelScenario {
protected:
    void SetUp() override {
        CancelScenario::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        m_config = CTestConfig::Lines(5);
        CTestConfig::Load(m_doc, m_config);
        m_before = CTestConfig::InMemory(m_doc);
    }

    // The records are never touched by a download, and the device saved
    // nothing: it never got an end line.
    void ExpectNothingChanged() {
        EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
        EXPECT_FALSE(m_dlg.StatusLines().contains("Download finished."));
        EXPECT_EQ(CTempDir::Read(m_received), kOld);
    }

    std::string m_before;
};

TEST_F(CancelDownload, DuringTheWakeUp) {
    m_dlg.m_session.m_timing.nWakeupPauseMs = 300;
    Start(ETransferMode::Download);
    CTestTransferDlg::ServeFor(100);
    Cancel();

    EXPECT_TRUE(m_dlg.StatusLines().isEmpty()) << "no \"Downloading data.\"";
    // The device was told to receive, so the header still goes out; nothing else.
    EXPECT_EQ(DeviceReceived(), Sent(1));
    ExpectNothingChanged();
}

TEST_F(CancelDownload, DuringTheHeaderLineWhichStillGoesOutWhole) {
    m_dlg.HoldAt(CGatedTransferDlg::EGate::SentByte, 10);
    Start(ETransferMode::Download);
    ASSERT_TRUE(m_dlg.WaitUntilHeld(5000));
    Cancel();

    EXPECT_EQ(m_dlg.StatusLines(), QStringList{"Downloading data."});
    EXPECT_EQ(DeviceReceived(), Sent(1));
    ExpectNothingChanged();
}

TEST_F(CancelDownload, DuringADataLineWhichStillGoesOutWhole) {
    const int inSecondRecord = static_cast<int>(m_config[0].size() + m_config[1].size() + 10);
    m_dlg.HoldAt(CGatedTransferDlg::EGate::SentByte, inSecondRecord);
    Start(ETransferMode::Download);
    ASSERT_TRUE(m_dlg.WaitUntilHeld(5000));
    Cancel();

    EXPECT_EQ(m_dlg.StatusLines(), QStringList{"Downloading data."});
    EXPECT_EQ(DeviceReceived(), Sent(3));
    const auto sent = m_config[0].size() + m_config[1].size() + m_config[2].size();
    EXPECT_EQ(m_dlg.m_editBytes->text(), QString("%1 of 196642").arg(sent))
        << "the counter shows what went out, never an end line that did not";
    ExpectNothingChanged();
}

TEST_F(CancelDownload, DuringTheFinalWaitOnlyShortensItAndAbortsNothing) {
    m_dlg.m_session.m_timing.nPowerCyclePauseMs = 5000;
    Start(ETransferMode::Download);
    ASSERT_TRUE(CTestTransferDlg::ServeUntil(
        [this] { return m_dlg.StatusLines().contains("Download finished."); }, 5000));
    Cancel(/*bAborts=*/false);  // and well within the five seconds

    // Everything had gone out: the download has finished, the worker ends
    // with its last step, and the device has the whole configuration.
    EXPECT_EQ(m_dlg.m_session.m_eOutcome, ETransferOutcome::Finished);
    EXPECT_EQ(m_dlg.StatusLines().back(), "Power cycle QARN.");
    EXPECT_EQ(DeviceReceived(), Sent(m_config.size()));
    EXPECT_EQ(CTempDir::Read(m_received), CTestConfig::Joined(m_config));
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
}

class CancelUpload : public CancelScenario {
protected:
    void SetUp() override {
        CancelScenario::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        m_config = {CTestConfig::HeaderLine("OLD"), CTestConfig::DataLine(0x8000),
                    CTestConfig::DataLine(0x8010), CTestConfig::EndLine()};
        CTestConfig::Load(m_doc, m_config);
        m_before = CTestConfig::InMemory(m_doc);
    }

    // Exactly the configuration held before, modified flag included.
    void ExpectConfigurationAsBefore(bool bModified) {
        EXPECT_FALSE(m_dlg.m_session.m_bUploadDone);
        EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
        EXPECT_EQ(g_recordList.GetCount(), m_config.size() - 2);
        EXPECT_EQ(m_doc.IsModified(), bModified);
    }

    std::string m_before;
};

TEST_F(CancelUpload, DuringTheRequest) {
    m_dlg.m_session.m_timing.nRequestPauseMs = 300;
    Start(ETransferMode::Upload);
    CTestTransferDlg::ServeFor(150);
    Cancel();

    EXPECT_TRUE(m_dlg.StatusLines().isEmpty()) << "no \"Uploading data.\"";
    ExpectConfigurationAsBefore(false);
}

TEST_F(CancelUpload, InTheMiddleOfALine) {
    m_doc.SetModifiedFlag(true);  // changed and not yet saved: it stays so
    m_dlg.HoldAt(CGatedTransferDlg::EGate::AcceptedByte, static_cast<int>(m_device[0].size() + 10));
    Start(ETransferMode::Upload);
    ASSERT_TRUE(m_dlg.WaitUntilHeld(5000));
    Cancel();

    EXPECT_EQ(m_dlg.StatusLines(), QStringList{"Uploading data."});
    ExpectConfigurationAsBefore(true);
}

TEST_F(CancelUpload, BetweenLines) {
    m_dlg.HoldAt(CGatedTransferDlg::EGate::StoredLine, 2);
    Start(ETransferMode::Upload);
    ASSERT_TRUE(m_dlg.WaitUntilHeld(5000));
    Cancel();

    EXPECT_EQ(m_dlg.StatusLines(), QStringList{"Uploading data."});
    ExpectConfigurationAsBefore(false);
}

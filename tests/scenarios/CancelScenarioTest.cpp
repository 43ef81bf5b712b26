// Cancel in the transfer dialog at every phase of a transfer with qarn-sim:
// the dialog says the transfer was aborted and closes within a few seconds,
// the device gets whole lines only, and a cancelled upload leaves the
// configuration in memory exactly as it was.
#include "CGatedPort.h"

#include "app/CTransferPresenter.h"
#include "core/data/CRecordList.h"
#include "tests/support/CFakeTransferDialog.h"
#include "tests/support/CScriptedPrompter.h"
#include "tests/support/CSimProcess.h"
#include "tests/support/CTempDir.h"
#include "tests/support/CTestConfig.h"
#include "tests/support/CTestContext.h"
#include "tests/support/CWait.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using EGate = CGatedPort::EGate;

const std::string kOld = "S0030000FC\r\nold\r\n";
const std::vector<std::string> kPreamble{"\r\n", "\r\n", "#CU\r\n"};
const std::size_t kPreambleBytes = 9;

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
        g_recordList.RemoveAll();
        m_device = CTestConfig::Lines(6);
        m_received = m_dir.Write("received.s19", kOld);
        m_log = m_dir.File("sim.log");
        m_sim = std::make_unique<CSimProcess>(std::vector<std::string>{
            "--config", m_dir.Write("device.s19", CTestConfig::Joined(m_device)), "--received",
            m_received, "--log", m_log, "--baud", "0"});
        ASSERT_TRUE(m_sim->Start()) << m_sim->Error();
        m_context.Ports().SetDevice(1, m_sim->DevicePath());
        // Cancel's box releases a worker held at the gate: the request to
        // stop has been made by then.
        m_user.m_onShow = [this](const CMessageBox& box) {
            if (box.strCaption == "Info") {
                m_port.Release();
            }
        };
    }

    void TearDown() override { g_recordList.RemoveAll(); }

    void Start(ETransferMode eMode) {
        m_presenter.SetTiming(m_timing);
        m_presenter.OnInitDialog(m_doc, eMode);
        if (eMode == ETransferMode::Download) {
            m_user.QueueAnswer(EAnswer::Yes);  // a short configuration, sent all the same
        }
        m_presenter.OnStartTransfer();
    }
    void CancelAtTheGate(EGate gate, int n, ETransferMode eMode) {
        m_port.HoldAt(gate, n);
        Start(eMode);
        ASSERT_TRUE(m_dialog.ServeUntil([this] { return m_port.IsHeld(); }));
        Cancel();
    }

    // Cancel as the user presses it. bAborts: the dialog says the transfer
    // was aborted.
    void Cancel(bool bAborts = true) {
        const std::size_t nBoxes = m_user.Boxes().size();
        m_presenter.OnCancel();
        EXPECT_FALSE(m_presenter.Session().IsRunning());
        EXPECT_FALSE(m_port.IsOpen());
        EXPECT_TRUE(m_dialog.m_bEnded);
        EXPECT_LE(m_dialog.m_nServedMs, 2 * CTransferPresenter::kCloseWaitMs);
        const bool bUpload = m_presenter.Request().eMode == ETransferMode::Upload;
        ASSERT_EQ(m_user.Boxes().size(), nBoxes + 1);
        EXPECT_EQ(m_user.Boxes().back().strCaption, "Info");
        EXPECT_EQ(m_user.Texts().back(), !bAborts  ? "Power cycle QARN."
                                         : bUpload ? "Upload aborted.\nPlease power cycle QARN."
                                                   : "Download aborted.\nPlease power cycle QARN.");
    }

    // What the device received, once it has read all of it.
    std::vector<std::string> DeviceReceived(std::size_t nExpected) {
        CWait::Until([&] { return ReceivedLines(CTempDir::Read(m_log)).size() >= nExpected; });
        m_sim->Stop();
        return ReceivedLines(CTempDir::Read(m_log));
    }

    std::vector<std::string> Sent(std::size_t nLines) const {
        std::vector<std::string> lines = kPreamble;
        lines.insert(lines.end(), m_config.begin(),
                     m_config.begin() + static_cast<std::ptrdiff_t>(nLines));
        return lines;
    }
    std::size_t BytesOf(std::size_t nLines) const {
        return CTestConfig::Joined(Sent(nLines)).size() - kPreambleBytes;
    }

    CTempDir m_dir;
    std::vector<std::string> m_device;  // what the device holds
    std::vector<std::string> m_config;  // what the document holds
    std::string m_received;
    std::string m_log;
    std::unique_ptr<CSimProcess> m_sim;
    CTransferTiming m_timing = CTestConfig::Timing();
    CSystemContext m_context = CTestContext::Make();
    CQARNCfgDoc m_doc;
    CFakeTransferDialog m_dialog;
    CScriptedPrompter m_user;
    CGatedPort m_port;
    CTransferPresenter m_presenter{m_dialog, m_user, m_context, m_port};
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
        EXPECT_EQ(
            std::count(m_dialog.m_status.begin(), m_dialog.m_status.end(), "Download finished."),
            0);
        EXPECT_EQ(CTempDir::Read(m_received), kOld);
    }

    std::string m_before;
};

TEST_F(CancelDownload, DuringTheWakeUp) {
    m_timing.nWakeupPauseMs = 300;
    CancelAtTheGate(EGate::SentByte, 2, ETransferMode::Download);

    EXPECT_TRUE(m_dialog.m_status.empty()) << "no \"Downloading data.\"";
    // The device was told to receive, so the header still goes out; nothing else.
    EXPECT_EQ(DeviceReceived(4), Sent(1));
    ExpectNothingChanged();
}

TEST_F(CancelDownload, DuringTheHeaderLineWhichStillGoesOutWhole) {
    CancelAtTheGate(EGate::SentByte, kPreambleBytes + 10, ETransferMode::Download);

    EXPECT_EQ(m_dialog.m_status, std::vector<std::string>{"Downloading data."});
    EXPECT_EQ(DeviceReceived(4), Sent(1));
    ExpectNothingChanged();
}

TEST_F(CancelDownload, DuringADataLineWhichStillGoesOutWhole) {
    CancelAtTheGate(EGate::SentByte, static_cast<int>(kPreambleBytes + BytesOf(2) + 10),
                    ETransferMode::Download);

    EXPECT_EQ(m_dialog.m_status, std::vector<std::string>{"Downloading data."});
    EXPECT_EQ(DeviceReceived(6), Sent(3));
    EXPECT_EQ(m_dialog.m_strBytes, std::to_string(BytesOf(3)) + " of 196642")
        << "the counter shows what went out, never an end line that did not";
    ExpectNothingChanged();
}

TEST_F(CancelDownload, DuringTheFinalWaitOnlyShortensItAndAbortsNothing) {
    m_timing.nPowerCyclePauseMs = 20000;
    Start(ETransferMode::Download);
    ASSERT_TRUE(m_dialog.ServeUntil([this] {
        return !m_dialog.m_status.empty() && m_dialog.m_status.back() == "Download finished.";
    }));
    Cancel(/*bAborts=*/false);  // and well within the wait

    // Everything had gone out: the download has finished, the worker ends
    // with its last step, and the device has the whole configuration.
    EXPECT_EQ(m_presenter.Session().Outcome(), ETransferOutcome::Finished);
    EXPECT_EQ(m_dialog.m_status.back(), "Power cycle QARN.");
    EXPECT_EQ(DeviceReceived(Sent(m_config.size()).size()), Sent(m_config.size()));
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
        EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
        EXPECT_EQ(g_recordList.GetCount(), m_config.size() - 2);
        EXPECT_EQ(m_doc.IsModified(), bModified);
    }

    std::string m_before;
};

TEST_F(CancelUpload, DuringTheRequest) {
    m_timing.nRequestPauseMs = 300;
    CancelAtTheGate(EGate::SentByte, 1, ETransferMode::Upload);

    EXPECT_TRUE(m_dialog.m_status.empty()) << "no \"Uploading data.\"";
    ExpectConfigurationAsBefore(false);
}

TEST_F(CancelUpload, InTheMiddleOfALine) {
    m_doc.SetModifiedFlag(true);  // changed and not yet saved: it stays so
    CancelAtTheGate(EGate::ReceivedByte, static_cast<int>(m_device[0].size() + 10),
                    ETransferMode::Upload);

    EXPECT_EQ(m_dialog.m_status, std::vector<std::string>{"Uploading data."});
    ExpectConfigurationAsBefore(true);
}

TEST_F(CancelUpload, BetweenLines) {
    CancelAtTheGate(EGate::ReceivedLine, 2, ETransferMode::Upload);

    EXPECT_EQ(m_dialog.m_status, std::vector<std::string>{"Uploading data."});
    ExpectConfigurationAsBefore(false);
}

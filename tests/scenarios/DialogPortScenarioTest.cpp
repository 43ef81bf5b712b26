// The transfer dialog when its port is gone or taken, when it is the system
// console, when the profile cannot be written, and when the device's answer is
// not its configuration: the status list says why, the dialog stays usable,
// and the configuration in memory is kept.
#include "platform/CSystemConsole.h"
#include "serial/CPortMap.h"
#include "serial/CSerialPort.h"
#include "support/CPortLockHolder.h"
#include "support/CPtyPair.h"
#include "support/CSimProcess.h"
#include "support/CTempDir.h"
#include "support/CTestConfig.h"
#include "support/CTestTransferDlg.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QPushButton>

#include <string>
#include <vector>

class DialogPortScenario : public ::testing::Test {
protected:
    void SetUp() override {
        if (CSimProcess::ProgramPath().empty()) {
            GTEST_SKIP() << "QARN_SIM not set: qarn-sim not built";
        }
        CTestTransferDlg::ClearProfile();
        m_device = CTestConfig::Lines(3);
        m_devicePath = m_dir.Write("device.s19", CTestConfig::Joined(m_device));
        CTestConfig::Load(m_doc, {CTestConfig::HeaderLine("OLD"), CTestConfig::DataLine(0x8000),
                                  CTestConfig::EndLine()});
        m_before = CTestConfig::InMemory(m_doc);
    }
    void TearDown() override { g_recordList.RemoveAll(); }

    // Runs one transfer in a fresh dialog on `device`, leaves with Exit, and
    // returns the status lines as they stood before Exit.
    QStringList Transfer(ETransferMode nMode, const std::string& device,
                         const std::function<void(CTestTransferDlg&)>& between = {}) {
        CTestTransferDlg dlg;
        dlg.m_session.m_strDevice = device;
        dlg.UseShortTiming();
        dlg.Init(&m_doc, nMode);
        dlg.OnStartTransfer();
        EXPECT_TRUE(CTestTransferDlg::ServeUntil([&] { return !dlg.m_session.m_bRunning; }, 5000));
        CTestTransferDlg::ServeFor(30);
        EXPECT_TRUE(dlg.m_btnTransfer->isEnabled()) << "the user can try again";
        EXPECT_EQ(dlg.windowTitle(), "Tovrik - QARN Data Backup/Restore");
        if (between) {
            between(dlg);
        }
        QStringList lines = dlg.StatusLines();
        m_boxes = dlg.m_boxes.size();
        dlg.OnOK();
        return lines;
    }

    // The device's whole answer, its small configuration, which does not finish.
    QString Answered() const {
        return QString::fromStdString(
            "Upload incomplete: " + std::to_string(CTestConfig::Joined(m_device).size()) +
            " bytes instead of 196642.");
    }

    static QStringList CannotOpen(const std::string& device, const char* reason, const char* hint) {
        return {QString::fromStdString("Cannot open port " + device + ": " + reason + "."), hint};
    }

    CTempDir m_dir;
    std::vector<std::string> m_device;
    std::string m_devicePath;
    CQARNCfgDoc m_doc;
    std::string m_before;
    std::size_t m_boxes = 0;
    CWatchdog m_watchdog{30};
};

TEST_F(DialogPortScenario, DeviceGoneBeforeTheTransferIsNamedAndNothingIsLost) {
    const std::string link = m_dir.File("qarn");
    {
        CSimProcess sim({"--config", m_devicePath, "--link", link});
        ASSERT_TRUE(sim.Start()) << sim.Error();
        sim.Stop();  // unplugged before the user presses Transfer Configuration
    }
    const QStringList gone = CannotOpen(link, "No such file or directory",
                                        "There is no such device: check the port setting.");

    EXPECT_EQ(Transfer(ETransferMode::Download, link), gone);
    EXPECT_EQ(m_boxes, 0u);
    EXPECT_EQ(Transfer(ETransferMode::Upload, link), gone);
    EXPECT_EQ(m_boxes, 0u);
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
    EXPECT_FALSE(m_doc.IsModified());
}

TEST_F(DialogPortScenario, PortHeldByAnotherPortIsNamedAndFreedPortWorks) {
    CSimProcess sim({"--config", m_devicePath, "--baud", "0"});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    auto holder = std::make_unique<CSerialPort>();
    ASSERT_TRUE(holder->OpenDevice(sim.DevicePath(), 38400));

    const QStringList lines =
        Transfer(ETransferMode::Upload, sim.DevicePath(), [&](CTestTransferDlg& dlg) {
            EXPECT_EQ(dlg.StatusLines(), CannotOpen(sim.DevicePath(), "Device or resource busy",
                                                    "The port is in use by another program."));
            EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before) << "given back at once";
            // The other program lets go; the same dialog tries again.
            holder.reset();
            dlg.OnStartTransfer();
            EXPECT_TRUE(
                CTestTransferDlg::ServeUntil([&] { return !dlg.m_session.m_bRunning; }, 5000));
        });

    EXPECT_EQ(lines.value(1), Answered());
}

TEST_F(DialogPortScenario, PortLockedByAPlainLockHolderIsNamed) {
    CSimProcess sim({"--config", m_devicePath, "--baud", "0"});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const CPortLockHolder holder(sim.DevicePath());
    ASSERT_TRUE(holder.Holds());
    const QStringList busy = CannotOpen(sim.DevicePath(), "Device or resource busy",
                                        "The port is in use by another program.");

    const QStringList download = Transfer(ETransferMode::Download, sim.DevicePath());
    const QStringList upload = Transfer(ETransferMode::Upload, sim.DevicePath());

    EXPECT_EQ(download, busy);
    EXPECT_EQ(upload, busy);
    EXPECT_EQ(m_boxes, 0u);
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
    EXPECT_FALSE(m_doc.IsModified());
}

// COM1 is the system console (a pseudo-terminal plays it): the dialog names the
// port and the reason, and the console gets no byte.
TEST_F(DialogPortScenario, Com1ThatIsTheSystemConsoleIsRefusedInTheStatusList) {
    CPtyPair console;
    ASSERT_TRUE(console.Ok()) << console.Error();
    const std::string consoleList = m_dir.Write("active", console.SlavePath().substr(5) + "\n");
    CSystemConsole::SetSources(consoleList, consoleList);
    CPortMap::SetDevice(1, console.SlavePath());

    const QStringList lines = Transfer(ETransferMode::Upload, "");
    CSystemConsole::ResetSources();
    CPortMap::Reset();

    EXPECT_EQ(lines,
              QStringList{QString::fromStdString("Cannot open port COM1 (" + console.SlavePath() +
                                                 "): it is the system console.")});
    EXPECT_EQ(console.ReadMaster(1, 100), "");
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
}

// The profile's path is a directory: nothing can be read from it or written to
// it, yet the dialog opens with its defaults and transfers at the rate chosen.
TEST_F(DialogPortScenario, UnwritableProfileLeavesTheDialogWorkingWithoutRememberingChoices) {
    const QString profile = CTestTransferDlg::Profile().fileName();
    QFile::remove(profile);
    ASSERT_TRUE(QDir().mkpath(profile));
    CSimProcess sim({"--config", m_devicePath, "--baud", "0"});
    ASSERT_TRUE(sim.Start()) << sim.Error();

    const QStringList lines =
        Transfer(ETransferMode::Upload, sim.DevicePath(), [this, &sim](CTestTransferDlg& dlg) {
            EXPECT_EQ(dlg.m_cbBaudRate->currentText(), "9600");
            EXPECT_EQ(dlg.m_cbPort->currentText(), QString::fromStdString(sim.DevicePath()))
                << "the list shows the device the dialog was given";
            dlg.m_cbBaudRate->setCurrentIndex(6);
            CPortMap::SetDevice(2, sim.DevicePath());
            dlg.m_cbPort->setCurrentIndex(1);
            EXPECT_EQ(dlg.m_session.m_nBaudRate, 38400);
            EXPECT_EQ(dlg.m_session.m_nPort, 2);
            dlg.OnStartTransfer();
            EXPECT_TRUE(
                CTestTransferDlg::ServeUntil([&] { return !dlg.m_session.m_bRunning; }, 5000));
            EXPECT_EQ(dlg.StatusLines().value(1), Answered());
            EXPECT_EQ(dlg.m_port.GetBaudRate(), 38400) << "the port was opened at the rate chosen";
        });

    EXPECT_EQ(lines.value(1), Answered());
    CTestTransferDlg next;
    next.Init(&m_doc, ETransferMode::Download);
    EXPECT_EQ(next.m_cbBaudRate->currentText(), "9600") << "the choice was not remembered";
    EXPECT_EQ(next.m_cbPort->ShownText(), "COM1");
    CPortMap::Reset();
    EXPECT_TRUE(QFileInfo(profile).isDir());
    QDir(profile).removeRecursively();
}

TEST_F(DialogPortScenario, AnswerWithStaleBytesArrivesAsSentAndAChangedDigitIsDamage) {
    auto upload = [&](const std::string& option, const std::string& value) {
        CSimProcess sim({"--config", m_devicePath, "--baud", "0", option, value});
        EXPECT_TRUE(sim.Start()) << sim.Error();
        return Transfer(ETransferMode::Upload, sim.DevicePath());
    };

    EXPECT_EQ(upload("--bitflip", "2"),
              (QStringList{"Uploading data.", "Upload damaged: 1 record fails its checksum."}));
    EXPECT_EQ(m_boxes, 1u);
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
    EXPECT_FALSE(m_doc.IsModified());

    // Only what the device sent for this request, exactly: its size is the
    // configuration's.
    EXPECT_EQ(upload("--stale", "60"), (QStringList{"Uploading data.", Answered()}));
    EXPECT_EQ(m_boxes, 1u);
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
}

// The transfer dialog when its port is gone or taken, when it is the system
// console, when the profile cannot be written, and when the device's answer is
// not its configuration: the status list says why, the dialog stays usable,
// and the configuration in memory is kept.
#include "core/serial/CSerialPort.h"
#include "gui/CPortList.h"
#include "gui/CTransferDlg.h"
#include "tests/support/CPortLockHolder.h"
#include "tests/support/CPtyDevice.h"
#include "tests/support/CQtTestApp.h"
#include "tests/support/CScriptedPrompter.h"
#include "tests/support/CSimProcess.h"
#include "tests/support/CTempDir.h"
#include "tests/support/CTestConfig.h"
#include "tests/support/CTestContext.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>

#include <string>
#include <vector>

class DialogPortScenario : public ::testing::Test {
protected:
    void SetUp() override {
        if (CSimProcess::ProgramPath().empty()) {
            GTEST_SKIP() << "QARN_SIM not set: qarn-sim not built";
        }
        m_device = CTestConfig::Lines(3);
        m_devicePath = m_dir.Write("device.s19", CTestConfig::Joined(m_device));
        CTestConfig::Load(m_doc, {CTestConfig::HeaderLine("OLD"), CTestConfig::DataLine(0x8000),
                                  CTestConfig::EndLine()});
        m_before = CTestConfig::InMemory(m_doc);
    }
    void TearDown() override { g_recordList.RemoveAll(); }

    // Runs one transfer in a fresh dialog with COM1 on `device`, leaves with
    // Exit, and returns the status lines as they stood before Exit. A
    // download of the document's small configuration is confirmed.
    QStringList Transfer(ETransferMode eMode, const std::string& device,
                         const std::function<void(CTransferDlg&)>& between = {}) {
        m_context.Ports().SetDevice(1, device);
        CTransferDlg dlg(m_user, m_context);
        dlg.Presenter().SetTiming(CTestConfig::Timing());
        dlg.Presenter().OnInitDialog(m_doc, eMode);
        if (eMode == ETransferMode::Download) {
            m_user.QueueAnswer(EAnswer::Yes);
        }
        RunToTheEnd(dlg);
        EXPECT_TRUE(dlg.m_btnTransfer->isEnabled()) << "the user can try again";
        EXPECT_EQ(dlg.windowTitle(), "Tovrik - QARN Data Backup/Restore");
        if (between) {
            between(dlg);
        }
        QStringList lines = StatusLines(dlg);
        dlg.m_btnExit->click();
        EXPECT_EQ(dlg.result(), 1);
        return lines;
    }

    // Transfer Configuration, then the worker's end and what it posted.
    static void RunToTheEnd(CTransferDlg& dlg) {
        dlg.m_btnTransfer->click();
        EXPECT_TRUE(CQtTestApp::ServeUntil([&] { return !dlg.Presenter().Session().IsRunning(); }));
        QCoreApplication::processEvents();
    }

    static QStringList StatusLines(const CTransferDlg& dlg) {
        QStringList lines;
        for (int i = 0; i < dlg.m_lbStatus->count(); ++i) {
            lines << dlg.m_lbStatus->item(i)->text();
        }
        return lines;
    }

    // The device's whole answer, its small configuration, which does not finish.
    QString Answered() const {
        return QString::fromStdString(
            "Upload incomplete: " + std::to_string(CTestConfig::Joined(m_device).size()) +
            " bytes instead of 196642.");
    }

    static QStringList CannotOpen(const std::string& device, const char* reason, const char* hint) {
        return {QString::fromStdString("Cannot open port COM1 (" + device + "): " + reason + "."),
                hint};
    }

    CTempDir m_dir;
    std::vector<std::string> m_device;
    std::string m_devicePath;
    CQARNCfgDoc m_doc;
    std::string m_before;
    CMemoryProfileStore* m_pStore = new CMemoryProfileStore;  // owned by the context
    CSystemContext m_context = CTestContext::Make(std::unique_ptr<CProfileStore>(m_pStore));
    CScriptedPrompter m_user;
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
    EXPECT_EQ(Transfer(ETransferMode::Upload, link), gone);
    EXPECT_EQ(m_user.Boxes().size(), 1u) << "only the download's question";
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
    EXPECT_FALSE(m_doc.IsModified());
}

TEST_F(DialogPortScenario, PortHeldByAnotherPortIsNamedAndFreedPortWorks) {
    CSimProcess sim({"--config", m_devicePath, "--baud", "0"});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    auto holder = std::make_unique<CSerialPort>();
    ASSERT_TRUE(holder->Open(CPortChoice::Device(sim.DevicePath()), 38400));

    const QStringList lines =
        Transfer(ETransferMode::Upload, sim.DevicePath(), [&](CTransferDlg& dlg) {
            EXPECT_EQ(StatusLines(dlg), CannotOpen(sim.DevicePath(), "Device or resource busy",
                                                   "The port is in use by another program."));
            EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before) << "given back at once";
            // The other program lets go; the same dialog tries again, and the
            // small configuration the device holds is not kept.
            holder.reset();
            m_user.QueueAnswer(EAnswer::No);
            RunToTheEnd(dlg);
        });

    EXPECT_EQ(lines, (QStringList{"Uploading data.", Answered(),
                                  "Upload cancelled: the configuration in memory is kept."}));
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
}

TEST_F(DialogPortScenario, PortLockedByAPlainLockHolderIsNamed) {
    CSimProcess sim({"--config", m_devicePath, "--baud", "0"});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const CPortLockHolder holder(sim.DevicePath());
    ASSERT_TRUE(holder.Holds());
    const QStringList busy = CannotOpen(sim.DevicePath(), "Device or resource busy",
                                        "The port is in use by another program.");

    EXPECT_EQ(Transfer(ETransferMode::Download, sim.DevicePath()), busy);
    EXPECT_EQ(Transfer(ETransferMode::Upload, sim.DevicePath()), busy);
    EXPECT_EQ(m_user.Boxes().size(), 1u) << "only the download's question";
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
    EXPECT_FALSE(m_doc.IsModified());
}

// COM1 is the system console (a pseudo-terminal plays it): the dialog names the
// port and the reason, and the console gets no byte.
TEST_F(DialogPortScenario, Com1ThatIsTheSystemConsoleIsRefusedInTheStatusList) {
    CPtyDevice console;
    ASSERT_TRUE(console.Ok()) << console.Error();
    CSystemPaths paths;
    paths.strActiveConsoles = m_dir.Write("active", console.Path().substr(5) + "\n");
    paths.strConsoles = paths.strActiveConsoles;
    m_context = CTestContext::Make(paths);

    const QStringList lines = Transfer(ETransferMode::Upload, console.Path());

    EXPECT_EQ(lines, QStringList{QString::fromStdString("Cannot open port COM1 (" + console.Path() +
                                                        "): it is the system console.")});
    EXPECT_EQ(console.Received(), "") << "refused before it was opened";
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
}

// The profile refuses every write: the dialog says so, and transfers at the
// rate and on the port chosen all the same; the next one opens with the
// defaults.
TEST_F(DialogPortScenario, UnwritableProfileLeavesTheDialogWorkingWithoutRememberingChoices) {
    m_pStore->m_bRefuseWrites = true;
    CSimProcess sim({"--config", m_devicePath, "--baud", "0"});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    m_context.Ports().SetDevice(2, sim.DevicePath());
    m_user.QueueAnswer(EAnswer::No);

    const QStringList lines =
        Transfer(ETransferMode::Upload, sim.DevicePath(), [&](CTransferDlg& dlg) {
            EXPECT_EQ(dlg.m_cbBaudRate->currentText(), "9600");
            dlg.m_cbBaudRate->setCurrentIndex(6);
            dlg.m_cbPort->setCurrentIndex(1);
            EXPECT_EQ(dlg.m_cbPort->ShownText(), "COM2");
            EXPECT_TRUE(StatusLines(dlg).join('\n').contains("Cannot remember the baud rate: "));
            EXPECT_EQ(dlg.Presenter().Request().nBaudRate, 38400);
            m_user.QueueAnswer(EAnswer::No);
            RunToTheEnd(dlg);
        });

    EXPECT_EQ(lines.value(1), Answered());
    EXPECT_EQ(m_user.Boxes().size(), 2u);
    CTransferDlg next(m_user, m_context);
    next.Presenter().OnInitDialog(m_doc, ETransferMode::Download);
    EXPECT_EQ(next.m_cbBaudRate->currentText(), "9600") << "the choice was not remembered";
    EXPECT_EQ(next.m_cbPort->ShownText(), "COM1");
}

// What arrived as the device sent it: a changed digit is damage, and a stale
// tail before the answer is never read as part of it. Neither is kept unless
// the user says so.
TEST_F(DialogPortScenario, AnswerWithStaleBytesArrivesAsSentAndAChangedDigitIsDamage) {
    auto upload = [&](const std::string& option, const std::string& value) {
        CSimProcess sim({"--config", m_devicePath, "--baud", "0", option, value});
        EXPECT_TRUE(sim.Start()) << sim.Error();
        m_user.QueueAnswer(EAnswer::No);
        return Transfer(ETransferMode::Upload, sim.DevicePath());
    };
    const QString notKept = "Upload cancelled: the configuration in memory is kept.";

    EXPECT_EQ(
        upload("--bitflip", "2"),
        (QStringList{"Uploading data.", "Upload damaged: 1 record fails its checksum.", notKept}));
    EXPECT_EQ(m_user.Boxes().back().strText.rfind(
                  "The configuration received is not complete (1 record fails its checksum; ", 0),
              0u);
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
    EXPECT_FALSE(m_doc.IsModified());

    // Only what the device sent for this request, exactly: its size is the
    // configuration's.
    EXPECT_EQ(upload("--stale", "60"), (QStringList{"Uploading data.", Answered(), notKept}));
    EXPECT_EQ(m_user.Boxes().size(), 2u);
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
}

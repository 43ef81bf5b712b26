// Saving onto a full disk and into a read-only directory, through the desktop
// program's File > Save As after an upload from qarn-sim and through
// tovrik-cli: a message that names the file and the reason, the old file as it
// was, no temporary file left, and the uploaded configuration still in memory
// and still marked as changed.
#include "tests/support/CAppTest.h"

#include "app/CDocumentCommands.h"

#include "CTmpfsMount.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "gui/CCommandTable.h"
#include "gui/CMainFrame.h"
#include "gui/CTransferDlg.h"
#include "tests/support/CProcess.h"
#include "tests/support/CSimProcess.h"
#include "tests/support/CTempDir.h"
#include "tests/support/CTestConfig.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string kOld = "S0030000FC\r\nS30700000000AABBCC\r\nS70500000000FA\r\n";

}  // namespace

class SaveFailureScenario : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        if (CSimProcess::ProgramPath().empty() || CProcess::CliProgram().empty()) {
            GTEST_SKIP() << "QARN_SIM or TOVRIK_CLI not set: qarn-sim or tovrik-cli not built";
        }
        // Room for a whole configuration, and little more.
        if (!m_disk.Mount(m_diskDir.Path(), 512)) {
            GTEST_SKIP() << m_disk.Error() << " (a full or read-only disk needs a tmpfs mount)";
        }
        m_target = m_diskDir.Write("backup.s19", kOld);
        // Only a whole configuration finishes an upload.
        m_device = CTestConfig::Joined(CTestConfig::WholeLines());
        m_sim = std::make_unique<CSimProcess>(
            std::vector<std::string>{"--config", TOVRIK_SAMPLE_S19, "--baud", "0"});
        ASSERT_TRUE(m_sim->Start()) << m_sim->Error();
    }
    void TearDown() override {
        AppTest::TearDown();
        g_recordList.RemoveAll();
    }

    // File > Upload in the desktop program, from the simulator.
    void UploadThroughTheProgram(CTovrikApp& app) {
        const QStringList status =
            TransferThroughTheProgram(app, ID_FILE_UPLOAD, m_sim->DevicePath());
        ASSERT_EQ(status.value(1), "Upload finished.") << status.join('\n').toStdString();
        ASSERT_EQ(CTestConfig::InMemory(*app.GetDocument()), m_device);
        ASSERT_TRUE(app.GetDocument()->IsModified());
    }

    // Save As fails with `reason`; the old file and the document in memory
    // are as they were, and the program will not close without asking.
    void ExpectSaveAsRefused(CTovrikApp& app, const std::string& reason) {
        m_chosenFile = QString::fromStdString(m_target);
        m_errors.clear();
        EXPECT_FALSE(app.GetCommands().OnFileSaveAs());
        EXPECT_EQ(m_errors, QStringList{QString::fromStdString("Cannot save " + m_target + ": " +
                                                               reason + ".")});
        EXPECT_EQ(CTempDir::Read(m_target), kOld);
        EXPECT_EQ(CTestConfig::InMemory(*app.GetDocument()), m_device);
        EXPECT_TRUE(app.GetDocument()->IsModified());
        EXPECT_TRUE(app.GetDocument()->GetPathName().empty()) << "still the unnamed upload";
        m_saveAnswer = QMessageBox::Cancel;
        EXPECT_FALSE(app.GetMainFrame()->close());
        m_saveAnswer = QMessageBox::NoButton;
    }

    CTempDir m_diskDir;
    CTempDir m_otherDir;
    CTmpfsMount m_disk;  // unmounted before its directory goes
    std::string m_target;
    std::string m_device;
    std::unique_ptr<CSimProcess> m_sim;
};

TEST_F(SaveFailureScenario, AppSaveAsOfAnUploadOntoAFullDisk) {
    auto app = StartApp();
    UploadThroughTheProgram(*app);
    ASSERT_TRUE(m_disk.Fill("filler")) << m_disk.Error();

    ExpectSaveAsRefused(*app, "No space left on device");
    EXPECT_EQ(m_diskDir.Names(), (std::vector<std::string>{"backup.s19", "filler"}));

    // Once there is room again the same configuration saves whole.
    std::filesystem::remove(m_diskDir.File("filler"));
    EXPECT_TRUE(app->GetCommands().OnFileSaveAs());
    EXPECT_EQ(CTempDir::Read(m_target), m_device);
    EXPECT_FALSE(app->GetDocument()->IsModified());
}

TEST_F(SaveFailureScenario, AppSaveAsOfAnUploadIntoAReadOnlyDirectory) {
    auto app = StartApp();
    UploadThroughTheProgram(*app);
    ASSERT_TRUE(m_disk.RemountReadOnly()) << m_disk.Error();

    ExpectSaveAsRefused(*app, "Read-only file system");
    EXPECT_EQ(m_diskDir.Names(), std::vector<std::string>{"backup.s19"});
}

TEST_F(SaveFailureScenario, CliUploadOntoAFullDiskKeepsTheOldBackup) {
    ASSERT_TRUE(m_disk.Fill("filler")) << m_disk.Error();

    const auto r = CProcess::RunCli(
        {"upload", m_target, "--port", m_sim->DevicePath(), "--baud", "9600"}, {}, "", 60000);

    EXPECT_EQ(r.nStatus, 2) << "a file that cannot be written";
    EXPECT_EQ(r.strErr,
              "tovrik-cli upload: Cannot save " + m_target + ": No space left on device.\n");
    EXPECT_EQ(CTempDir::Read(m_target), kOld);
    EXPECT_EQ(m_diskDir.Names(), (std::vector<std::string>{"backup.s19", "filler"}));
}

TEST_F(SaveFailureScenario, CliUploadIntoAReadOnlyDirectoryIsRefusedBeforeTheTransfer) {
    ASSERT_TRUE(m_disk.RemountReadOnly()) << m_disk.Error();

    const auto r = CProcess::RunCli(
        {"upload", m_target, "--port", m_sim->DevicePath(), "--baud", "9600"}, {}, "", 15000);

    EXPECT_EQ(r.nStatus, 2);
    EXPECT_TRUE(r.strOut.empty()) << "no transfer was started: " << r.strOut;
    EXPECT_EQ(r.strErr,
              "tovrik-cli upload: Cannot save " + m_target + ": Read-only file system.\n");
    EXPECT_EQ(CTempDir::Read(m_target), kOld);
}

TEST_F(SaveFailureScenario, CliConvertOntoAFullOrReadOnlyDiskKeepsTheOldFile) {
    const std::string in = m_otherDir.Write("in.s19", m_device);
    ASSERT_TRUE(m_disk.Fill("filler")) << m_disk.Error();

    const auto full = CProcess::RunCli({"convert", in, m_target});
    ASSERT_TRUE(m_disk.RemountReadOnly()) << m_disk.Error();
    const auto readOnly = CProcess::RunCli({"convert", in, m_target});

    EXPECT_EQ(full.nStatus, 2);
    EXPECT_EQ(full.strErr, "tovrik-cli: Cannot save " + m_target + ": No space left on device.\n");
    EXPECT_EQ(readOnly.nStatus, 2);
    EXPECT_EQ(readOnly.strErr,
              "tovrik-cli: Cannot save " + m_target + ": Read-only file system.\n");
    EXPECT_EQ(CTempDir::Read(m_target), kOld);
    EXPECT_EQ(m_diskDir.Names(), (std::vector<std::string>{"backup.s19", "filler"}));
}

// tovrik-cli against qarn-sim when the device goes away, when another program
// holds the port and when the profile cannot be written: a clear message, an
// exit status that says the command failed, and no file lost.
#include "tests/support/CPortLockHolder.h"
#include "tests/support/CProcess.h"
#include "tests/support/CSimProcess.h"
#include "tests/support/CTempDir.h"
#include "tests/support/CTestConfig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string kOld = "S0030000FC\r\nold backup\r\n";

}  // namespace

class CliFaultScenario : public ::testing::Test {
protected:
    void SetUp() override {
        if (CProcess::CliProgram().empty() || CSimProcess::ProgramPath().empty()) {
            GTEST_SKIP() << "TOVRIK_CLI or QARN_SIM not set: tovrik-cli or qarn-sim not built";
        }
        m_lines = CTestConfig::Lines(6);
        m_config = CTestConfig::Joined(m_lines);
        m_configPath = m_dir.Write("config.s19", m_config);
        m_outPath = m_dir.Write("backup.s19", kOld);
    }

    CTempDir m_dir;
    std::vector<std::string> m_lines;
    std::string m_config;
    std::string m_configPath;
    std::string m_outPath;
};

TEST_F(CliFaultScenario, DeviceUnpluggedMidDownloadIsACommunicationError) {
    const std::string received = m_dir.Write("received.s19", kOld);
    const std::size_t unplugAt = m_lines[0].size() + m_lines[1].size() + 20;
    CSimProcess sim({"--received", received, "--hangup-after", std::to_string(unplugAt)});
    ASSERT_TRUE(sim.Start()) << sim.Error();

    const auto r = CProcess::RunCli(
        {"download", m_configPath, "--force", "--port", sim.DevicePath(), "--baud", "9600"}, {}, "",
        15000);

    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "Downloading data.\nDownload aborted.\n");
    EXPECT_EQ(r.strErr,
              "Communication Error: Download Aborted\nPlease Power Cycle QARN\nCheck the cable, "
              "the port and the baud rate.\n");
    EXPECT_TRUE(sim.WaitExit(3000)) << "the simulator dropped the line and ended";
    EXPECT_EQ(CTempDir::Read(received), kOld) << "the device kept its old configuration";
    EXPECT_EQ(CTempDir::Read(m_configPath), m_config);
}

TEST_F(CliFaultScenario, DeviceUnpluggedMidUploadLeavesTheOldBackup) {
    CSimProcess sim({"--config", m_configPath, "--baud", "0", "--hangup-after",
                     std::to_string(m_lines[0].size() + 30)});
    ASSERT_TRUE(sim.Start()) << sim.Error();

    const auto r = CProcess::RunCli(
        {"upload", m_outPath, "--port", sim.DevicePath(), "--baud", "9600"}, {}, "", 15000);

    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "Uploading data.\nUpload aborted.\n");
    EXPECT_EQ(r.strErr,
              "Communication Error: Upload Aborted\nPlease Power Cycle QARN\nCheck the cable, "
              "the port and the baud rate.\n");
    EXPECT_EQ(CTempDir::Read(m_outPath), kOld);
    EXPECT_EQ(m_dir.Names(), (std::vector<std::string>{"backup.s19", "config.s19"}));
}

TEST_F(CliFaultScenario, PortLockedByAnotherProgramIsNamedAndNothingIsSent) {
    const std::string log = m_dir.File("sim.log");
    CSimProcess sim({"--config", m_configPath, "--baud", "0", "--log", log});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    // Another program that locks the port the way serial programs do.
    const CPortLockHolder holder(sim.DevicePath());
    ASSERT_TRUE(holder.Holds());
    const std::string busy = "Cannot open port " + sim.DevicePath() +
                             ": Device or resource busy.\nThe port is in use by another program.\n";

    const auto up = CProcess::RunCli(
        {"upload", m_outPath, "--port", sim.DevicePath(), "--baud", "9600"}, {}, "", 15000);
    const auto down = CProcess::RunCli(
        {"download", m_configPath, "--force", "--port", sim.DevicePath(), "--baud", "9600"}, {}, "",
        15000);

    EXPECT_EQ(up.nStatus, 1);
    EXPECT_EQ(up.strOut, busy);
    EXPECT_EQ(down.nStatus, 1);
    EXPECT_EQ(down.strOut, busy);
    EXPECT_EQ(CTempDir::Read(m_outPath), kOld);
    sim.Stop();
    EXPECT_EQ(CTempDir::Read(log).find("received"), std::string::npos)
        << "not a byte reached the device";
}

// A profile that cannot be read or written (its path is a directory): the
// transfer runs with the dialog's defaults, COM1 at 9600 baud.
TEST_F(CliFaultScenario, UnusableProfileMeansTheDefaultPort) {
    CTempDir config;
    std::filesystem::create_directories(config.Path() +
                                        "/Local AppWizard-Generated Applications/Tovrik.conf");
    CSimProcess sim({"--config", m_configPath, "--baud", "0"});
    ASSERT_TRUE(sim.Start()) << sim.Error();

    const auto r =
        CProcess::RunCli({"upload", m_outPath},
                         {"XDG_CONFIG_HOME=" + config.Path(), "TOVRIK_COM1=" + sim.DevicePath(),
                          "TOVRIK_COM2=" + m_dir.File("no-such-port")},
                         "", 15000);

    // The device on COM1 answered in full: the small configuration is not whole.
    EXPECT_EQ(r.nStatus, 1) << r.strOut << r.strErr;
    EXPECT_EQ(r.strOut, "Uploading data.\nUpload incomplete: " + std::to_string(m_config.size()) +
                            " bytes instead of 196642.\n");
    EXPECT_NE(r.strErr.find("tovrik-cli: using COM1 (" + sim.DevicePath() +
                            ") at 9600 baud, from the profile"),
              std::string::npos)
        << r.strErr;
    EXPECT_TRUE(std::filesystem::is_directory(
        config.Path() + "/Local AppWizard-Generated Applications/Tovrik.conf"));
}

// The ends of an upload on the command line: OUT is written only for a
// finished, whole upload; an answer that is not whole says why on standard
// error and leaves OUT as it was, and --force writes what was received, with
// the exit status still 1.
TEST_F(CliFaultScenario, OnlyAWholeUploadWritesOutAndForceWritesWhatCame) {
    auto upload = [&](const std::string& config, const std::vector<std::string>& fault,
                      bool bForce) {
        std::vector<std::string> args{"--config", config, "--baud", "0"};
        args.insert(args.end(), fault.begin(), fault.end());
        CSimProcess sim(args);
        EXPECT_TRUE(sim.Start()) << sim.Error();
        std::vector<std::string> cli{"upload",         m_outPath, "--port",
                                     sim.DevicePath(), "--baud",  "9600"};
        if (bForce) {
            cli.push_back("--force");
        }
        return CProcess::RunCli(cli, {}, "", 60000);
    };

    // A line lost on the way: the good backup in OUT stays.
    const auto lost = upload(TOVRIK_SAMPLE_S19, {"--drop-line", "100"}, false);
    EXPECT_EQ(lost.nStatus, 1);
    EXPECT_EQ(lost.strOut,
              "Uploading data.\nUpload incomplete: 196562 bytes instead of 196642; 1 "
              "gap in the addresses.\n");
    EXPECT_EQ(lost.strErr,
              "tovrik-cli upload: the configuration received is not complete (196562 "
              "bytes instead of 196642; 1 gap in the addresses); " +
                  m_outPath +
                  " was not written.\n"
                  "  warning: 196562 bytes instead of 196642\n"
                  "  warning: line 100: address 00000C60 where 00000C40 follows on: "
                  "a gap\n"
                  "Give --force to write what was received to " +
                  m_outPath + " anyway.\n");
    EXPECT_EQ(CTempDir::Read(m_outPath), kOld);

    const auto logLines = upload(m_configPath, {"--log-lines"}, false);
    EXPECT_EQ(logLines.nStatus, 1);
    EXPECT_NE(logLines.strOut.find("Upload damaged: no S0 line;"), std::string::npos)
        << logLines.strOut;
    EXPECT_EQ(CTempDir::Read(m_outPath), kOld);

    const std::string size = std::to_string(m_config.size());
    const auto flipped = upload(m_configPath, {"--bitflip", "2"}, false);
    EXPECT_EQ(flipped.nStatus, 1);
    EXPECT_EQ(flipped.strOut, "Uploading data.\nUpload damaged: 1 record fails its checksum.\n");
    EXPECT_TRUE(flipped.strErr.starts_with(
        "tovrik-cli upload: the configuration received is not complete (1 record fails its "
        "checksum; " +
        size + " bytes instead of 196642); " + m_outPath +
        " was not written.\n  problem: line 2: "))
        << flipped.strErr;
    EXPECT_EQ(CTempDir::Read(m_outPath), kOld);

    const auto forced = upload(m_configPath, {"--bitflip", "2"}, true);
    EXPECT_EQ(forced.nStatus, 1) << "still not a finished upload";
    EXPECT_TRUE(forced.strErr.ends_with("  warning: " + size +
                                        " bytes instead of 196642\ntovrik-cli upload: what was "
                                        "received is in " +
                                        m_outPath + ", as --force asked; it is not complete.\n"))
        << forced.strErr;
    const std::string written = CTempDir::Read(m_outPath);
    EXPECT_EQ(written.size(), m_config.size());
    EXPECT_EQ(
        std::mismatch(written.begin(), written.end(), m_config.begin()).first - written.begin(),
        static_cast<long>(m_lines[0].size() + 4 + (m_lines[1].size() - 6) / 2))
        << "one hex digit changed, in the middle of the line";
}

#include "cli/CTransferCommand.h"
#include "cli/CTransferOptions.h"
#include "settings/CSystemContext.h"
#include "settings/CTransferSettings.h"
#include "support/CProcess.h"
#include "support/CPtyDevice.h"
#include "support/CSimProcess.h"
#include "support/CTempDir.h"
#include "support/CTestConfig.h"
#include "support/CTestContext.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kCommError =
    "Communication Error: Upload Aborted\nPlease Power Cycle QARN\nCheck the cable, the port and "
    "the baud rate.\n";

std::string UploadCountLine(std::size_t n) {
    return std::to_string(n) + " of 196642 bytes have been successfully uploaded into RAM\n";
}

}  // namespace

class CliTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        if (CProcess::CliProgram().empty() || CSimProcess::ProgramPath().empty()) {
            GTEST_SKIP() << "TOVRIK_CLI or QARN_SIM not set: tovrik-cli or qarn-sim not built";
        }
        m_config = CTestConfig::Joined(CTestConfig::Lines(4));
        m_configPath = m_dir.Write("config.s19", m_config);
    }

    CTempDir m_dir;
    std::string m_config;
    std::string m_configPath;
};

// Unpaced: a whole configuration at the device's pace takes a minute.
TEST_F(CliTransfer, UploadWritesTheDevicesConfiguration) {
    CSimProcess sim({"--config", TOVRIK_SAMPLE_S19, "--baud", "0", "--echo"});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const std::string out = m_dir.File("out.s19");

    const auto r = CProcess::RunCli({"upload", out, "--port", sim.DevicePath(), "--baud", "38400"},
                                    {}, "", 60000);

    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "Uploading data.\nUpload finished.\n" + UploadCountLine(196642));
    EXPECT_EQ(r.strErr, "");
    EXPECT_EQ(CTempDir::Read(out), CTempDir::Read(TOVRIK_SAMPLE_S19));
}

TEST_F(CliTransfer, UploadFromASilentDeviceFailsAndWritesNothing) {
    CPtyDevice silent;
    ASSERT_TRUE(silent.Ok());
    const std::string out = m_dir.Write("out.s19", "kept\r\n");

    const auto r = CProcess::RunCli({"upload", out, "--port", silent.Path()});

    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "No connection. could not upload data.\n");
    EXPECT_EQ(CTempDir::Read(out), "kept\r\n");
}

TEST_F(CliTransfer, UploadCutShortIsACommunicationErrorAndWritesNothing) {
    CSimProcess sim({"--config", m_configPath, "--baud", "38400", "--silence-after", "50"});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const std::string out = m_dir.File("out.s19");

    const auto r = CProcess::RunCli({"upload", out, "--port", sim.DevicePath(), "--baud", "9600"});

    EXPECT_EQ(r.nStatus, 1);
    EXPECT_EQ(r.strOut, "Uploading data.\nUpload aborted.\n");
    EXPECT_EQ(r.strErr, kCommError);
    EXPECT_TRUE(CTempDir::Read(out).empty());
}

TEST_F(CliTransfer, InterruptedUploadStopsWithStatus130AndWritesNothing) {
    // 1200 baud: the answer takes long enough to be interrupted.
    CSimProcess sim({"--config", m_configPath, "--baud", "1200"});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const std::string out = m_dir.File("out.s19");

    const auto r = CProcess::RunCli({"upload", out, "--port", sim.DevicePath(), "--baud", "9600"},
                                    {}, "Uploading data.");

    EXPECT_EQ(r.nStatus, 130);
    EXPECT_EQ(r.strOut, "Uploading data.\n");
    EXPECT_EQ(r.strErr, "Info: Upload aborted.\nPlease power cycle QARN.\n");
    EXPECT_TRUE(CTempDir::Read(out).empty());
}

TEST_F(CliTransfer, DownloadOfAnIncompleteFileOnlyWithForce) {
    const std::string received = m_dir.File("received.s19");
    CSimProcess sim({"--received", received, "--log", m_dir.File("sim.log")});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const std::string size = std::to_string(m_config.size());

    const auto refused = CProcess::RunCli({"download", m_configPath, "--port", sim.DevicePath()});
    EXPECT_EQ(refused.nStatus, 2);
    EXPECT_EQ(refused.strOut, "");
    EXPECT_EQ(refused.strErr, "tovrik-cli download: " + m_configPath + " is not complete (" + size +
                                  " bytes instead of 196642); nothing was sent.\n"
                                  "  warning: " +
                                  size +
                                  " bytes instead of 196642\n"
                                  "Give --force to download it anyway.\n");
    EXPECT_EQ(CTempDir::Read(m_dir.File("sim.log")).find("received"), std::string::npos);

    // At the device's own pacing, the five-second wait before "Power cycle QARN." included.
    const auto r = CProcess::RunCli(
        {"download", m_configPath, "--force", "--port", sim.DevicePath()}, {}, "", 15000);

    EXPECT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "Downloading data.\nDownload finished.\n" + size +
                            " bytes have been successfully downloaded into the QARN\n"
                            "Power cycle QARN.\n");
    sim.Stop();
    EXPECT_EQ(CTempDir::Read(received), m_config);
}

TEST_F(CliTransfer, InterruptAfterTheEndLineOfADownloadOnlyShortensTheLastWait) {
    const std::string received = m_dir.File("received.s19");
    CSimProcess sim({"--received", received});
    ASSERT_TRUE(sim.Start()) << sim.Error();

    // Ended well within the five seconds of the last wait, or killed (status -1).
    const auto r = CProcess::RunCli(
        {"download", m_configPath, "--force", "--port", sim.DevicePath(), "--baud", "9600"}, {},
        "Download finished.", 4000);

    EXPECT_EQ(r.nStatus, 0) << "the download has finished";
    EXPECT_EQ(r.strErr, "") << "nothing said about an abort";
    EXPECT_EQ(r.strOut.rfind("Power cycle QARN.\n"), r.strOut.size() - 18) << r.strOut;
    sim.Stop();
    EXPECT_EQ(CTempDir::Read(received), m_config);
}

TEST_F(CliTransfer, PortThatCannotBeOpenedFailsWithTheReason) {
    const std::string out = m_dir.Write("out.s19", "kept\r\n");
    const std::string reason =
        "Cannot open port /nonexistent/ttyQARN: No such file or directory.\n"
        "There is no such device: check the port setting.\n";

    const auto down =
        CProcess::RunCli({"download", m_configPath, "--force", "--port", "/nonexistent/ttyQARN"});
    const auto up = CProcess::RunCli({"upload", out, "--port=/nonexistent/ttyQARN"});

    EXPECT_EQ(down.nStatus, 1);
    EXPECT_EQ(down.strOut, reason);
    EXPECT_EQ(up.nStatus, 1);
    EXPECT_EQ(up.strOut, reason);
    EXPECT_EQ(CTempDir::Read(out), "kept\r\n");
}

// COM1 is the system console (a pseudo-terminal plays it: no test may open the
// real one). tovrik-cli with --port com1 refuses it before a byte is written.
// Run in this process, so that the console list can be a file of the test's
// own without the program offering a way around it.
TEST_F(CliTransfer, Com1ThatIsTheSystemConsoleIsRefusedWithoutAByte) {
    CPtyDevice console;
    ASSERT_TRUE(console.Ok()) << console.Error();
    const std::string list = m_dir.Write("active", console.Path().substr(5) + "\n");
    CSystemContext context =
        CTestContext::Make(CSystemPaths{.strActiveConsoles = list, .strConsoles = list});
    context.Ports().SetDevice(1, console.Path());
    const std::string out = m_dir.File("out.s19");
    std::ostringstream upOut, upErr, downOut, downErr;

    const int up = CTransferCommand::RunUpload(context, {out, "--port", "com1"}, upOut, upErr);
    const int down = CTransferCommand::RunDownload(
        context, {m_configPath, "--force", "--port", "COM1"}, downOut, downErr);

    const std::string refused =
        "Cannot open port COM1 (" + console.Path() + "): it is the system console.\n";
    EXPECT_EQ(up, 1);
    EXPECT_EQ(upOut.str(), refused);
    EXPECT_EQ(down, 1);
    EXPECT_EQ(downOut.str(), refused);
    EXPECT_TRUE(console.Received().empty()) << "not a byte reached the console";
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CliTransfer, UsageErrorsAndUnusableFilesExitWith2BeforeTouchingAPort) {
    const std::string empty = m_dir.Write("empty.s19", "S9030000FC\r\n");
    const std::vector<std::vector<std::string>> cases{
        {"download"},
        {"upload"},
        {"download", m_configPath, "--port", ""},
        {"download", m_configPath, "--baud", "fast"},
        {"download", m_configPath, "--baud"},
        {"download", m_configPath, "--parity", "odd"},
        {"download", m_configPath, "extra.s19"},
        {"download", m_dir.File("missing.s19")},
        {"download", empty},
        {"upload", m_dir.File("no/such/folder/out.s19")},
        {"upload", m_dir.Path()},
    };
    for (const auto& args : cases) {
        const auto r = CProcess::RunCli(args, {}, "", 3000);
        EXPECT_EQ(r.nStatus, 2) << args.back();
        EXPECT_TRUE(r.strOut.empty()) << args.back() << ": " << r.strOut;
        EXPECT_FALSE(r.strErr.empty()) << args.back();
    }
}

// The remembered choices of the transfer dialog, as the command line reads them.
class CliTransferSettings : public ::testing::Test {
protected:
    CSystemContext m_context = CTestContext::Make();
    CProfile& m_profile = m_context.Profile();
};

TEST_F(CliTransferSettings, DefaultsFollowTheDialogsProfileEntries) {
    struct Case {
        int nPortSel;  // -1: absent
        int nBaudSel;  // -1: absent
        int nPort;
        int nBaud;
    };
    for (const Case& c : {Case{-1, -1, 1, 9600}, Case{1, 9600, 2, 9600}, Case{0, 6, 1, 38400},
                          Case{1, 0, 2, 1200}, Case{7, 7, 1, 9600}, Case{-3, -1, 1, 9600}}) {
        CSystemContext context = CTestContext::Make();
        if (c.nPortSel != -1) {
            ASSERT_FALSE(context.Profile().WriteProfileInt("INITALISATION", "CPSEL", c.nPortSel));
        }
        if (c.nBaudSel != -1) {
            ASSERT_FALSE(context.Profile().WriteProfileInt("INITALISATION", "BRSEL", c.nBaudSel));
        }
        const auto s = CTransferOptions::FromProfile(context);
        EXPECT_EQ(s.m_port, CPortChoice::Com(c.nPort, context.Ports())) << c.nPortSel;
        EXPECT_EQ(s.m_nBaudRate, c.nBaud) << c.nBaudSel;
    }
}

TEST_F(CliTransferSettings, WhatComesFromTheProfileIsNamedOnStderr) {
    ASSERT_FALSE(m_profile.WriteProfileInt("INITALISATION", "BRSEL", 6));
    CTransferOptions s = CTransferOptions::FromProfile(m_context);
    std::string error;
    const std::string onlyBaud = "using 38400 baud, from the profile; --baud chooses another";
    const struct {
        const char* port;  // nullptr: not given
        const char* baud;
        std::string note;
    } cases[] = {
        {nullptr, nullptr,
         "using COM1 (/dev/ttyS0) at 38400 baud, from the profile; --port and --baud choose "
         "others"},
        {nullptr, "1200", "using COM1 (/dev/ttyS0), from the profile; --port chooses another"},
        {"/dev/pts/9", nullptr, onlyBaud},
        {"com2", nullptr, onlyBaud},
        {"2", "9600", ""},
    };
    for (const auto& c : cases) {
        CTransferOptions options = s;
        EXPECT_TRUE(c.port == nullptr || options.SetPort(c.port, m_context, error));
        EXPECT_TRUE(c.baud == nullptr || options.SetBaud(c.baud, error));
        EXPECT_EQ(options.ProfileNote(), c.note);
    }
}

TEST_F(CliTransferSettings, PortDevicesComeFromTheProfileAndOptionsOverrideThem) {
    ASSERT_FALSE(m_profile.WriteProfileString("PORTS", "COM2", "/dev/ttyUSB7"));
    CTransferSettings::LoadPortDevices(m_profile, m_context.Ports());
    auto s = CTransferOptions::FromProfile(m_context);

    std::string error;
    EXPECT_TRUE(s.SetPort("com2", m_context, error));
    EXPECT_EQ(s.m_port.Describe(), "COM2 (/dev/ttyUSB7)");
    EXPECT_TRUE(s.SetPort("/dev/pts/9", m_context, error));
    EXPECT_EQ(s.m_port, CPortChoice::Device("/dev/pts/9"));
    EXPECT_TRUE(s.SetPort("1", m_context, error));
    EXPECT_EQ(s.m_port.Describe(), "COM1 (/dev/ttyS0)") << "a numbered port replaces a device";
    EXPECT_TRUE(s.SetBaud("19200", error));
    EXPECT_EQ(s.m_nBaudRate, 19200);
    for (const char* bad : {"0", "-9600", "96OO", "", "99999999999"}) {
        EXPECT_FALSE(s.SetBaud(bad, error)) << bad;
    }
    EXPECT_EQ(s.m_nBaudRate, 19200);
}

// The context tovrik-cli builds at start: COM1 and COM2 on the devices the
// profile's "PORTS" section sets, and for one run on those the environment
// names. It reads the user's profile, which the tests keep in a folder of
// their own.
TEST(CliContext, TheEnvironmentWinsOverThePortsSectionWhichWinsOverTheDefault) {
    unsetenv("TOVRIK_COM1");
    unsetenv("TOVRIK_COM2");
    {
        CSystemContext context = CSystemContext::ForThisMachine();
        ASSERT_FALSE(context.Profile().WriteProfileString("PORTS", "COM2", "/dev/ttyUSB0"));
    }
    const struct {
        const char* com2;  // nullptr: not set
        std::string device;
    } cases[] = {{nullptr, "/dev/ttyUSB0"}, {"/dev/ttyACM3", "/dev/ttyACM3"}, {"", "/dev/ttyUSB0"}};
    for (const auto& c : cases) {
        if (c.com2 != nullptr) {
            setenv("TOVRIK_COM2", c.com2, 1);
        }
        const CSystemContext context = CSystemContext::ForThisMachine();
        EXPECT_EQ(context.Ports().DeviceFor(2), c.device) << (c.com2 ? c.com2 : "not set");
        EXPECT_EQ(context.Ports().DeviceFor(1), "/dev/ttyS0");
    }
    unsetenv("TOVRIK_COM2");
    CSystemContext context = CSystemContext::ForThisMachine();
    ASSERT_FALSE(context.Profile().WriteProfileString("PORTS", "COM2", ""));
}

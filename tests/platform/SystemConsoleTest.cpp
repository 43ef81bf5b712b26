#include "platform/CSystemConsole.h"
#include "serial/CPortMap.h"
#include "serial/CSerialPort.h"
#include "support/CPtyPair.h"
#include "support/CRecordingView.h"
#include "support/CTempDir.h"

#include <gtest/gtest.h>

#include <termios.h>
#include <unistd.h>

#include <filesystem>

namespace {

// Every test reads a console list of its own making.
class SystemConsole : public ::testing::Test {
protected:
    void SetUp() override {
        CSystemConsole::SetSources(m_dir.File("active"), m_dir.File("consoles"));
    }
    void TearDown() override {
        CSystemConsole::ResetSources();
        CPortMap::Reset();
    }
    void Active(const std::string& text) { m_dir.Write("active", text); }
    void Consoles(const std::string& text) { m_dir.Write("consoles", text); }

    CTempDir m_dir;
};

TEST_F(SystemConsole, NamesComeFromTheActiveListOrElseFromProcConsoles) {
    Active("tty0 ttyS0\n");
    Consoles("hvc0                 -W- (EC p  )    229:0\n");
    EXPECT_EQ(CSystemConsole::ActiveNames(), (std::vector<std::string>{"tty0", "ttyS0"}));
    EXPECT_TRUE(CSystemConsole::IsConsole("/dev/ttyS0"));
    EXPECT_FALSE(CSystemConsole::IsConsole("/dev/ttyS1"));
    EXPECT_FALSE(CSystemConsole::IsConsole("/dev/hvc0"));

    std::filesystem::remove(m_dir.File("active"));
    Consoles(
        "ttyAMA0              -W- (EC p a)    204:64\nhvc0                 -W- (E  p  )    "
        "229:0\n");
    EXPECT_EQ(CSystemConsole::ActiveNames(), (std::vector<std::string>{"ttyAMA0", "hvc0"}));
    EXPECT_TRUE(CSystemConsole::IsConsole("/dev/hvc0"));
    EXPECT_FALSE(CSystemConsole::IsConsole("/dev/ttyS0"));

    std::filesystem::remove(m_dir.File("consoles"));
    EXPECT_TRUE(CSystemConsole::ActiveNames().empty());
    EXPECT_TRUE(CSystemConsole::IsConsole("/dev/console")) << "always the console";
    EXPECT_FALSE(CSystemConsole::IsConsole("ttyS0")) << "only devices under /dev";
}

TEST_F(SystemConsole, ALinkToTheConsoleIsTheConsole) {
    CPtyPair pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error();
    Active(pty.SlavePath().substr(5) + "\n");  // "pts/N"
    std::filesystem::create_symlink(pty.SlavePath(), m_dir.File("link"));
    EXPECT_TRUE(CSystemConsole::IsConsole(pty.SlavePath()));
    EXPECT_TRUE(CSystemConsole::IsConsole(m_dir.File("link")));
}

// A pseudo-terminal stands in for the console: the port refuses it before a
// byte is written or a setting changed, whatever the user's rights.
TEST_F(SystemConsole, PortRefusesTheConsoleWithoutTouchingIt) {
    CPtyPair pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error();
    Active(pty.SlavePath().substr(5) + "\n");
    termios before{};
    ASSERT_EQ(tcgetattr(pty.SlaveFd(), &before), 0);

    CSerialPort port;
    EXPECT_FALSE(port.OpenDevice(pty.SlavePath(), 38400));
    EXPECT_EQ(port.GetLastError().message(), "it is the system console");
    port.Write("#CD\r\n", 5);
    EXPECT_EQ(pty.ReadMaster(1, 100), "");
    termios after{};
    ASSERT_EQ(tcgetattr(pty.SlaveFd(), &after), 0);
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    EXPECT_EQ(after.c_lflag, before.c_lflag);

    // The transfer says which port it refused and why.
    CPortMap::SetDevice(1, pty.SlavePath());
    CRecordingHost host(port);
    host.m_nPort = 1;
    EXPECT_FALSE(host.OpenPort());
    EXPECT_EQ(host.StatusList(),
              (std::vector<std::string>{"Cannot open port COM1 (" + pty.SlavePath() +
                                        "): it is the system console."}));
}

}  // namespace

#include "platform/CSystemConsole.h"
#include "serial/CPortMap.h"
#include "serial/CSerialPort.h"
#include "support/CPtyDevice.h"
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
    void Active(const std::string& text) { m_dir.Write("active", text); }
    void Consoles(const std::string& text) { m_dir.Write("consoles", text); }

    CTempDir m_dir;
    const CSystemPaths m_paths{.strActiveConsoles = m_dir.File("active"),
                               .strConsoles = m_dir.File("consoles")};
    const CSystemConsole m_console{m_paths};
};

TEST_F(SystemConsole, NamesComeFromTheActiveListOrElseFromProcConsoles) {
    Active("tty0 ttyS0\n");
    Consoles("hvc0                 -W- (EC p  )    229:0\n");
    EXPECT_EQ(m_console.ActiveNames(), (std::vector<std::string>{"tty0", "ttyS0"}));
    EXPECT_TRUE(m_console.IsConsole("/dev/ttyS0"));
    EXPECT_FALSE(m_console.IsConsole("/dev/ttyS1"));
    EXPECT_FALSE(m_console.IsConsole("/dev/hvc0"));

    std::filesystem::remove(m_dir.File("active"));
    Consoles(
        "ttyAMA0              -W- (EC p a)    204:64\nhvc0                 -W- (E  p  )    "
        "229:0\n");
    EXPECT_EQ(m_console.ActiveNames(), (std::vector<std::string>{"ttyAMA0", "hvc0"}));
    EXPECT_TRUE(m_console.IsConsole("/dev/hvc0"));
    EXPECT_FALSE(m_console.IsConsole("/dev/ttyS0"));

    std::filesystem::remove(m_dir.File("consoles"));
    EXPECT_TRUE(m_console.ActiveNames().empty());
    EXPECT_TRUE(m_console.IsConsole("/dev/console")) << "always the console";
    EXPECT_FALSE(m_console.IsConsole("ttyS0")) << "only devices under /dev";
}

TEST_F(SystemConsole, ALinkToTheConsoleIsTheConsole) {
    CPtyDevice pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error();
    Active(pty.Path().substr(5) + "\n");  // "pts/N"
    std::filesystem::create_symlink(pty.Path(), m_dir.File("link"));
    EXPECT_TRUE(m_console.IsConsole(pty.Path()));
    EXPECT_TRUE(m_console.IsConsole(m_dir.File("link")));
}

// A pseudo-terminal stands in for the console: the port refuses it before a
// byte is written or a setting changed, whatever the user's rights.
TEST_F(SystemConsole, PortRefusesTheConsoleWithoutTouchingIt) {
    CPtyDevice pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error();
    Active(pty.Path().substr(5) + "\n");
    termios before{};
    ASSERT_EQ(tcgetattr(pty.SlaveFd(), &before), 0);

    CSerialPort port(m_paths);
    EXPECT_FALSE(port.Open(CPortChoice::Device(pty.Path()), 38400));
    EXPECT_EQ(port.GetLastError().message(), "it is the system console");
    port.Write("#CD\r\n", 5);
    termios after{};
    ASSERT_EQ(tcgetattr(pty.SlaveFd(), &after), 0);
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    EXPECT_EQ(after.c_lflag, before.c_lflag);

    // The transfer says which port it refused and why.
    CPortMap map;
    map.SetDevice(1, pty.Path());
    CQARNCfgDoc doc;
    CRecordingHost host(port);
    host.m_request.port = CPortChoice::Com(1, map);
    ASSERT_TRUE(host.RunToEnd(doc));
    EXPECT_EQ(host.StatusList(), (std::vector<std::string>{"Cannot open port COM1 (" + pty.Path() +
                                                           "): it is the system console."}));
    // Another port on the same line shows that nothing came before its byte.
    CSerialPort other;
    ASSERT_TRUE(other.Open(CPortChoice::Device(pty.Path()), 38400));
    other.WriteByte('!');
    ASSERT_TRUE(pty.WaitForBytes(1));
    EXPECT_EQ(pty.Received(), "!");
}

}  // namespace

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

#include "serial/CPortChoice.h"
#include "serial/CSerialPort.h"
#include "support/CPtyDevice.h"
#include "support/CTempDir.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

template <typename F>
milliseconds TimeOf(F&& f) {
    auto start = Clock::now();
    f();
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

TEST(SerialPortFailure, PathsThatAreNoTerminalFailWithTheReasonKept) {
    CTempDir dir;
    ASSERT_FALSE(dir.Path().empty());
    const std::string file = dir.Write("config.s19", "S0030000FC\r\n");
    const struct {
        std::string path;
        int error;
    } cases[] = {{file, ENOTTY}, {dir.Path(), EISDIR}, {dir.File("missing"), ENOENT}};
    for (const auto& c : cases) {
        CSerialPort port;
        EXPECT_FALSE(port.Open(CPortChoice::Device(c.path), 9600)) << c.path;
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.GetLastError().value(), c.error) << c.path;
        EXPECT_EQ(errno, c.error) << c.path;
        EXPECT_FALSE(port.GetLastError().message().empty());
        EXPECT_EQ(port.GetDeviceName(), c.path);

        // What the workers do next on a port that did not open.
        EXPECT_EQ(port.Write("\r\n", 2), 0);
        EXPECT_EQ(port.GetInQueue(), 0);
        EXPECT_EQ(port.ReadByte(), 0);
        EXPECT_TRUE(port.Close());
        EXPECT_EQ(port.GetLastError().value(), c.error) << "the reason must survive the aftermath";
    }
}

TEST(SerialPortFailure, SuccessfulOpenClearsTheLastError) {
    CPtyDevice pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error();
    CSerialPort port;
    ASSERT_FALSE(port.Open(CPortChoice::Device("/nonexistent/tty"), 9600));
    ASSERT_TRUE(port.GetLastError());
    ASSERT_TRUE(port.Open(CPortChoice::Device(pty.Path()), 9600));
    EXPECT_FALSE(port.GetLastError());
    EXPECT_EQ(port.GetDeviceName(), pty.Path());
}

TEST(SerialPortFailure, UnpluggedDeviceShowsAsAnErrorWithoutHanging) {
    CPtyDevice pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error();
    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Device(pty.Path()), 9600));
    pty.Unplug();

    auto took = TimeOf([&] {
        EXPECT_TRUE(port.WriteByte('#'));
        EXPECT_NE(port.GetLastError().value(), 0) << "write after unplugging";
        EXPECT_EQ(port.Write("CD\r\n", 4), 4);
    });
    EXPECT_LT(took, milliseconds(1500));

    CSerialPort reader;
    CPtyDevice pty2;
    ASSERT_TRUE(pty2.Ok());
    ASSERT_TRUE(reader.Open(CPortChoice::Device(pty2.Path()), 9600));
    pty2.Unplug();
    took = TimeOf([&] {
        EXPECT_EQ(reader.GetInQueue(), 0);
        EXPECT_EQ(reader.ReadByte(), 0);
    });
    EXPECT_NE(reader.GetLastError().value(), 0) << "read after unplugging";
    EXPECT_LT(took, milliseconds(1500));

    took = TimeOf([&] {
        EXPECT_FALSE(port.Drain());
        EXPECT_TRUE(port.Close());
        EXPECT_TRUE(reader.Close());
    });
    EXPECT_LT(took, milliseconds(1500));
    EXPECT_FALSE(port.IsOpen());
}

TEST(SerialPortFailure, WriteToALineThatTakesNothingGivesUpAfterOneSecond) {
    CPtyDevice pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error();
    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Device(pty.Path()), 9600));
    // The device reads nothing: fill the terminal until it takes no more.
    pty.StopListening();
    int fd = pty.SlaveFd();
    ASSERT_EQ(fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK), 0);
    // The terminal moves bytes on in the background, so room can reappear for
    // a moment after the first refusal; fill until it stays full.
    char block[1024] = {};
    for (bool added = true; added;) {
        added = false;
        while (write(fd, block, sizeof block) > 0 || write(fd, block, 1) > 0) {
            added = true;
        }
        ASSERT_EQ(errno, EAGAIN);
        usleep(100 * 1000);
    }

    auto took = TimeOf([&] { EXPECT_TRUE(port.WriteByte('x')); });
    EXPECT_GE(took, milliseconds(900));
    EXPECT_LT(took, milliseconds(1500));
    EXPECT_EQ(port.GetLastError().value(), ETIMEDOUT);

    // Close waits no longer than a drain may take, then drops the rest.
    took = TimeOf([&] { EXPECT_TRUE(port.Close()); });
    EXPECT_LT(took, milliseconds(1500));
}

}  // namespace

#include "core/serial/CPortChoice.h"
#include "core/serial/CSerialPort.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <chrono>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/CPtyDevice.h"
#include "tests/support/CWait.h"

namespace {

speed_t LineSpeed(int fd) {
    termios tio{};
    tcgetattr(fd, &tio);
    return cfgetospeed(&tio);
}

// What the port receives, read byte by byte as the upload does, until
// `expected` bytes have come (or two seconds have passed).
std::string ReadAll(CSerialPort& port, size_t expected) {
    std::string got;
    CWait::Until(
        [&] {
            while (port.GetInQueue() > 0) {
                got += port.ReadByte();
            }
            return got.size() >= expected;
        },
        std::chrono::seconds(2));
    return got;
}

// Another port on the line sends a mark: once it has arrived, whatever the
// device received before it is all it will get from the port under test.
std::string ReceivedBeforeAMark(CPtyDevice& pty) {
    const std::size_t before = pty.Received().size();
    CSerialPort other;
    EXPECT_TRUE(other.Open(CPortChoice::Device(pty.Path()), 9600));
    other.WriteByte('!');
    EXPECT_TRUE(pty.WaitForBytes(before + 1));
    const std::string received = pty.Received();
    return received.ends_with('!') ? received.substr(0, received.size() - 1) : "no mark";
}

// Every setting of a terminal, rates included, in one comparable list.
std::vector<unsigned long> AllSettings(int fd) {
    termios tio{};
    EXPECT_EQ(tcgetattr(fd, &tio), 0);
    std::vector<unsigned long> all{tio.c_iflag, tio.c_oflag,       tio.c_cflag,
                                   tio.c_lflag, cfgetispeed(&tio), cfgetospeed(&tio)};
    all.insert(all.end(), std::begin(tio.c_cc), std::end(tio.c_cc));
    return all;
}

std::string AllByteValues() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) {
        bytes += static_cast<char>(i);
    }
    return bytes;
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_pty.Ok()) << m_pty.Error(); }
    CPtyDevice m_pty;
};

TEST_F(SerialPortTest, SecondOpenSucceedsAndKeepsTheFirstBaudRate) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 9600))
        << port.GetLastError().message();
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(LineSpeed(m_pty.SlaveFd()), B9600);

    EXPECT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 19200));
    EXPECT_EQ(LineSpeed(m_pty.SlaveFd()), B9600);
    EXPECT_EQ(port.GetBaudRate(), 9600);
}

TEST_F(SerialPortTest, OpensAgainAfterCloseAndCarriesBytes) {
    CSerialPort port;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 2400)) << "round " << round;
        EXPECT_EQ(port.Write("#CD\r\n", 5), 5);
        EXPECT_TRUE(m_pty.WaitForBytes(std::size_t{5} * static_cast<std::size_t>(round + 1)));
        ASSERT_TRUE(m_pty.Send("OK\r\n"));
        EXPECT_EQ(ReadAll(port, 4), "OK\r\n");
        EXPECT_TRUE(port.Close());
        EXPECT_FALSE(port.IsOpen());
    }
    EXPECT_EQ(m_pty.Received(), "#CD\r\n#CD\r\n");
}

TEST_F(SerialPortTest, ClosedPortSendsNothingAndReadsNothing) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 9600));
    EXPECT_TRUE(port.Close());
    EXPECT_TRUE(port.Close());
    ASSERT_TRUE(m_pty.Send("late"));

    EXPECT_EQ(port.Write("#CD\r\n", 5), 0);
    EXPECT_TRUE(port.WriteByte('x'));
    EXPECT_EQ(port.GetInQueue(), 0);
    EXPECT_EQ(port.ReadByte(), 0);
    EXPECT_FALSE(port.Drain());
    EXPECT_EQ(ReceivedBeforeAMark(m_pty), "");
}

TEST_F(SerialPortTest, WriteOfNothingSendsNothing) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 9600));
    EXPECT_EQ(port.Write("#CD", 0), 0);
    EXPECT_EQ(port.Write("#CD", -1), 0);
    EXPECT_EQ(port.Write(nullptr, 3), 0);
    port.Close();
    EXPECT_EQ(ReceivedBeforeAMark(m_pty), "");
}

TEST_F(SerialPortTest, ReadByteOnAnEmptyQueueReturnsAtOnceWithoutError) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 9600));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port.ReadByte(), 0);
    EXPECT_EQ(port.GetInQueue(), 0);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(200));
    EXPECT_EQ(port.GetLastError().value(), 0) << port.GetLastError().message();
}

TEST_F(SerialPortTest, ReadsBytesAsSignedCharsAndCountsTheQueue) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 9600));
    ASSERT_TRUE(m_pty.Send("\x41\xC1\x0A"));
    ASSERT_TRUE(port.Drain());
    ASSERT_TRUE(CWait::Until([&] { return port.GetInQueue() >= 3; }));
    EXPECT_EQ(port.GetInQueue(), 3);
    EXPECT_EQ(port.ReadByte(), 'A');
    EXPECT_EQ(port.GetInQueue(), 2);
    char c = port.ReadByte();
    EXPECT_LT(c, 0);
    EXPECT_EQ(static_cast<unsigned char>(c), 0xC1);
    EXPECT_EQ(port.ReadByte(), '\n');
    EXPECT_EQ(port.GetInQueue(), 0);
}

TEST_F(SerialPortTest, WriteByteSendsOnlyTheLowEightBits) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 9600));
    EXPECT_TRUE(port.WriteByte(0x141));
    EXPECT_TRUE(port.WriteByte(-1));
    ASSERT_TRUE(m_pty.WaitForBytes(2));
    EXPECT_EQ(m_pty.Received(), "A\xFF");
}

TEST_F(SerialPortTest, OpenDiscardsWhatWaitedBeforeIt) {
    ASSERT_TRUE(m_pty.Send("stale"));
    ASSERT_TRUE(CWait::Until([&] {
        int waiting = 0;
        return ioctl(m_pty.SlaveFd(), FIONREAD, &waiting) == 0 && waiting == 5;
    }));
    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 9600));
    EXPECT_EQ(port.GetInQueue(), 0);
}

TEST_F(SerialPortTest, SecondOpenerIsRefusedUntilTheFirstIsGone) {
    auto first = std::make_unique<CSerialPort>();
    ASSERT_TRUE(first->Open(CPortChoice::Device(m_pty.Path()), 9600));

    CSerialPort second;
    EXPECT_FALSE(second.Open(CPortChoice::Device(m_pty.Path()), 9600));
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.GetLastError().value(), EBUSY);

    first.reset();  // destruction closes the port
    EXPECT_TRUE(second.Open(CPortChoice::Device(m_pty.Path()), 9600))
        << second.GetLastError().message();
    EXPECT_EQ(second.GetLastError().value(), 0);
}

TEST_F(SerialPortTest, ExclusiveModeLastsExactlyAsLongAsThePortIsOpen) {
    int exclusive = -1;
    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 9600));
    ASSERT_EQ(ioctl(m_pty.SlaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    port.Close();
    ASSERT_EQ(ioctl(m_pty.SlaveFd(), TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
}

TEST_F(SerialPortTest, OpensAtEveryRateTheDialogOffers) {
    const std::pair<int, speed_t> rates[] = {{1200, B1200},   {2400, B2400},    {4800, B4800},
                                             {9600, B9600},   {19200, B19200},  {38400, B38400},
                                             {57600, B57600}, {115200, B115200}};
    for (auto [baud, speed] : rates) {
        CSerialPort port;
        ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), baud))
            << baud << ": " << port.GetLastError().message();
        EXPECT_EQ(LineSpeed(m_pty.SlaveFd()), speed) << baud;
    }
}

TEST_F(SerialPortTest, OpensAtARateWithoutItsOwnConstant) {
    CSerialPort port;
    EXPECT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 14400))
        << port.GetLastError().message();
    EXPECT_EQ(port.Write("\r\n", 2), 2);
    ASSERT_TRUE(m_pty.WaitForBytes(2));
    EXPECT_EQ(m_pty.Received(), "\r\n");
}

TEST_F(SerialPortTest, RefusedRateLeavesNothingOpen) {
    CSerialPort port;
    EXPECT_FALSE(port.Open(CPortChoice::Device(m_pty.Path()), 0));
    EXPECT_EQ(port.GetLastError().value(), EINVAL);
    EXPECT_FALSE(port.Open(CPortChoice::Device(m_pty.Path()), -9600));
    EXPECT_FALSE(port.IsOpen());

    CSerialPort other;
    EXPECT_TRUE(other.Open(CPortChoice::Device(m_pty.Path()), 9600))
        << other.GetLastError().message();
}

TEST_F(SerialPortTest, DrainReturnsOnceTheBytesHaveLeft) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 115200));
    const std::string line = "S30D0000000000000000000000F2\r\n";
    EXPECT_EQ(port.Write(line.data(), static_cast<int>(line.size())),
              static_cast<int>(line.size()));
    EXPECT_TRUE(port.Drain()) << port.GetLastError().message();
    ASSERT_TRUE(m_pty.WaitForBytes(line.size()));
    EXPECT_EQ(m_pty.Received(), line);
}

// A terminal that the system left in cooked mode: echo, line editing, CR/LF
// mapping and XON/XOFF are all on until the port sets the line up. (A
// pseudo-terminal always keeps 8 data bits without parity, so framing cannot
// be checked here.)
class CookedTerminalTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_pty.Ok()) << m_pty.Error();
        termios tio{};
        ASSERT_EQ(tcgetattr(m_pty.SlaveFd(), &tio), 0);
        tio.c_iflag |= ICRNL | IXON | IXOFF;
        tio.c_oflag |= OPOST | ONLCR;
        tio.c_lflag |= ECHO | ICANON | ISIG;
        tio.c_cflag |= CSTOPB | CRTSCTS;
        ASSERT_EQ(tcsetattr(m_pty.SlaveFd(), TCSANOW, &tio), 0);
    }
    CPtyDevice m_pty{{}, {}, CPtyDevice::ETerminal::Cooked};
};

TEST_F(CookedTerminalTest, EveryByteValuePassesUnchangedBothWays) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 9600));
    const std::string bytes = AllByteValues();

    EXPECT_EQ(port.Write(bytes.data(), static_cast<int>(bytes.size())), 256);
    ASSERT_TRUE(m_pty.WaitForBytes(256));
    EXPECT_EQ(m_pty.Received(), bytes);

    ASSERT_TRUE(m_pty.Send(bytes));
    EXPECT_EQ(ReadAll(port, 256), bytes);
    // Nothing was echoed back to the device: an echo comes as the bytes are
    // taken in, before the port read them and so before the next byte it sends.
    port.WriteByte('!');
    ASSERT_TRUE(m_pty.WaitForBytes(257));
    EXPECT_EQ(m_pty.Received(), bytes + "!");
}

// A port let go by Close, or by its destruction while open at a rate without
// a constant of its own, leaves the terminal exactly as it found it: not raw,
// not at its rate, not exclusive.
TEST_F(CookedTerminalTest, ClosingPutsBackEverySettingFoundAtOpen) {
    const int fd = m_pty.SlaveFd();
    const std::vector<unsigned long> before = AllSettings(fd);
    {
        CSerialPort port;
        ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 38400));
        ASSERT_NE(AllSettings(fd), before) << "raw while open";
        port.Close();
        EXPECT_EQ(AllSettings(fd), before) << "after Close";
        ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 14400));
        ASSERT_NE(AllSettings(fd), before);
    }
    EXPECT_EQ(AllSettings(fd), before) << "after destruction";
    int exclusive = -1;
    ASSERT_EQ(ioctl(fd, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
}

TEST_F(CookedTerminalTest, KeepsStopBitsAndHardwareFlowControlButNotXonXoff) {
    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Device(m_pty.Path()), 4800));
    termios tio{};
    ASSERT_EQ(tcgetattr(m_pty.SlaveFd(), &tio), 0);
    EXPECT_NE(tio.c_cflag & CSTOPB, 0u);
    EXPECT_NE(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B4800));
}

}  // namespace

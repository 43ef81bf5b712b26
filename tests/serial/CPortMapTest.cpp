#include "serial/CPortMap.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "serial/CSerialPort.h"
#include "support/CPtyPair.h"

namespace {

class PortMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        CPortMap::Reset();
        unsetenv("TOVRIK_COM1");
        unsetenv("TOVRIK_COM2");
    }
    void TearDown() override { SetUp(); }
};

TEST_F(PortMapTest, EnvironmentWinsOverTheProfileWhichWinsOverTheDefault) {
    EXPECT_EQ(CPortMap::DeviceFor(1), "/dev/ttyS0");
    EXPECT_EQ(CPortMap::DeviceFor(2), "/dev/ttyS1");

    CPortMap::SetDevice(2, "/dev/ttyUSB0");
    EXPECT_EQ(CPortMap::DeviceFor(2), "/dev/ttyUSB0");
    EXPECT_EQ(CPortMap::DeviceFor(1), "/dev/ttyS0");

    setenv("TOVRIK_COM2", "/dev/ttyACM3", 1);
    EXPECT_EQ(CPortMap::DeviceFor(2), "/dev/ttyACM3");
    setenv("TOVRIK_COM2", "", 1);
    EXPECT_EQ(CPortMap::DeviceFor(2), "/dev/ttyUSB0") << "an empty variable does not count";

    CPortMap::SetDevice(2, "");
    EXPECT_EQ(CPortMap::DeviceFor(2), "/dev/ttyS1");
}

TEST_F(PortMapTest, NamesPortsTheWayTheDialogShowsThem) {
    EXPECT_EQ(CPortMap::PortName(1), "COM1");
    EXPECT_EQ(CPortMap::PortName(2), "COM2");
}

TEST_F(PortMapTest, OpenByNumberUsesTheMappedDevice) {
    CPtyPair pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error();
    CPortMap::SetDevice(1, "/nonexistent/tty");
    setenv("TOVRIK_COM1", pty.SlavePath().c_str(), 1);

    CSerialPort port;
    ASSERT_TRUE(port.Open(1, 9600)) << port.GetLastError().message();
    EXPECT_EQ(port.GetDeviceName(), pty.SlavePath());
    port.Close();

    unsetenv("TOVRIK_COM1");
    EXPECT_FALSE(port.Open(1, 9600));
    EXPECT_EQ(port.GetDeviceName(), "/nonexistent/tty");
    EXPECT_EQ(port.GetLastError().value(), ENOENT);
}

}  // namespace

#include "serial/CPortMap.h"

#include "platform/CPortDiscovery.h"
#include "serial/CPortChoice.h"
#include "serial/CSerialPort.h"
#include "support/CFakeSysfs.h"
#include "support/CPtyDevice.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(PortMap, ASetDeviceWinsOverTheSystemsNameUntilItIsEmptied) {
    CPortMap map;
    EXPECT_EQ(map.DeviceFor(1), "/dev/ttyS0");
    EXPECT_EQ(map.DeviceFor(2), "/dev/ttyS1");

    map.SetDevice(2, "/dev/ttyUSB0");
    EXPECT_EQ(map.DeviceFor(2), "/dev/ttyUSB0");
    EXPECT_EQ(map.DeviceFor(1), "/dev/ttyS0");

    map.SetDevice(2, "");
    EXPECT_EQ(map.DeviceFor(2), "/dev/ttyS1");
    EXPECT_EQ(CPortMap::PortName(1), "COM1");
    EXPECT_EQ(CPortMap::PortName(2), "COM2");
}

// One rule for the dialog, tovrik-cli and the profile.
TEST(PortChoice, ParseReadsNumbersPathsAndTheNamesOfPortsFound) {
    CFakeSysfs sys;
    sys.AddUsbSerial("ttyUSB0", "1-1", CFakeSysfs::kFtdi, CFakeSysfs::kFtdiById);
    const CPortDiscovery discovery(sys.Paths());
    CPortMap map;
    map.SetDevice(2, "/dev/ttyACM3");
    const struct {
        std::string text;
        std::string describe;
        std::string shortName;
    } cases[] = {
        {"1", "COM1 (/dev/ttyS0)", "COM1"},
        {" com2\t", "COM2 (/dev/ttyACM3)", "COM2"},
        {"COM1", "COM1 (/dev/ttyS0)", "COM1"},
        {"/dev/pts/9", "/dev/pts/9", "9"},
        {CFakeSysfs::kFtdiById, sys.ById(CFakeSysfs::kFtdiById), CFakeSysfs::kFtdiById},
        {"ttyUSB0", sys.Node("ttyUSB0"), "ttyUSB0"},
        {"ttyUSB9", sys.Node("ttyUSB9"), "ttyUSB9"},
        {"COM3", sys.Node("COM3"), "COM3"},
    };
    for (const auto& c : cases) {
        CPortChoice choice;
        ASSERT_TRUE(CPortChoice::Parse(c.text, map, discovery, choice)) << c.text;
        EXPECT_EQ(choice.Describe(), c.describe) << c.text;
        EXPECT_EQ(choice.ShortName(), c.shortName) << c.text;
        EXPECT_EQ(choice.IsCom(), c.describe.starts_with("COM")) << c.text;
    }
    CPortChoice kept = CPortChoice::Device("/dev/ttyUSB4");
    for (const char* empty : {"", "  \t"}) {
        EXPECT_FALSE(CPortChoice::Parse(empty, map, discovery, kept));
    }
    EXPECT_EQ(kept, CPortChoice::Device("/dev/ttyUSB4")) << "a refused text changes nothing";
}

TEST(PortChoice, ANumberedPortOpensTheDeviceTheMapGivesIt) {
    CPtyDevice pty;
    ASSERT_TRUE(pty.Ok()) << pty.Error();
    CPortMap map;
    map.SetDevice(1, pty.Path());

    CSerialPort port;
    ASSERT_TRUE(port.Open(CPortChoice::Com(1, map), 9600)) << port.GetLastError().message();
    EXPECT_EQ(port.GetDeviceName(), pty.Path());
    port.Close();

    map.SetDevice(1, "/nonexistent/tty");
    EXPECT_FALSE(port.Open(CPortChoice::Com(1, map), 9600));
    EXPECT_EQ(port.GetDeviceName(), "/nonexistent/tty");
    EXPECT_EQ(port.GetLastError().value(), ENOENT);
}

}  // namespace

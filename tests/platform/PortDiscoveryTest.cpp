#include "platform/CPortDiscovery.h"
#include "support/CFakeSysfs.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

namespace {

const CFakeSysfs::CUsbDevice& kFtdi = CFakeSysfs::kFtdi;
const CFakeSysfs::CUsbDevice kArduino{"2341", "0043", "Arduino (www.arduino.cc)", "Arduino Uno",
                                      "8573531303435"};
const CFakeSysfs::CUsbDevice kProlific{"067b", "2303", "Prolific Technology Inc.",
                                       "Prolific Technology Inc. USB-Serial Controller", ""};
const CFakeSysfs::CUsbDevice kNoStrings{"1a86", "7523", "", "", ""};
const std::string kFtdiById = CFakeSysfs::kFtdiById;

std::vector<std::string> Devices(const std::vector<CSerialPortInfo>& ports) {
    std::vector<std::string> devices;
    devices.reserve(ports.size());
    for (const CSerialPortInfo& port : ports) {
        devices.push_back(port.strDevice);
    }
    return devices;
}

class PortDiscovery : public ::testing::Test {
protected:
    // A machine with one of each: USB adapters with and without strings, a
    // modem, a mainboard UART, a placeholder UART and a virtual terminal.
    void AddMachine() {
        m_sys.AddUsbSerial("ttyUSB0", "1-1", kFtdi, kFtdiById);
        m_sys.AddUsbSerial("ttyUSB10", "1-3", kNoStrings);
        m_sys.AddUsbSerial("ttyUSB2", "1-4", kProlific);
        m_sys.AddAcmModem("ttyACM0", "1-2", kArduino, "usb-Arduino_Uno_8573531303435-if00");
        m_sys.AddUart("ttyS0");
        m_sys.AddUart("ttyS1", "0");
        m_sys.AddVirtualTerminal("tty1");
    }

    CPortDiscovery Discovery() const { return CPortDiscovery(m_sys.Paths()); }

    CFakeSysfs m_sys;
};

TEST_F(PortDiscovery, FindsEveryPortWithADeviceAndNamesAndDescribesIt) {
    EXPECT_TRUE(Discovery().List().empty());
    AddMachine();

    const std::vector<CSerialPortInfo> ports = Discovery().List();
    EXPECT_EQ(Devices(ports), (std::vector<std::string>{
                                  m_sys.Node("ttyACM0"), m_sys.Node("ttyS0"), m_sys.Node("ttyUSB0"),
                                  m_sys.Node("ttyUSB2"), m_sys.Node("ttyUSB10")}))
        << "the placeholder ttyS1 and the virtual tty1 are no serial ports";
    ASSERT_EQ(ports.size(), 5u);

    EXPECT_EQ(ports[0].strById, m_sys.ById("usb-Arduino_Uno_8573531303435-if00"));
    EXPECT_EQ(ports[0].strDescription,
              "Arduino (www.arduino.cc) Arduino Uno (2341:0043, serial 8573531303435)");
    EXPECT_EQ(ports[1].strById, "");
    EXPECT_EQ(ports[1].Name(), m_sys.Node("ttyS0"));
    EXPECT_EQ(ports[1].strDescription, "built-in serial port");
    EXPECT_EQ(ports[2].strById, m_sys.ById(kFtdiById));
    EXPECT_EQ(ports[2].Name(), kFtdiById);
    EXPECT_EQ(ports[2].strDescription, "FTDI FT232R USB UART (0403:6001, serial A50285BI)");
    EXPECT_EQ(ports[3].strDescription, "Prolific Technology Inc. USB-Serial Controller (067b:2303)")
        << "a product name that starts with the maker's is not doubled";
    EXPECT_EQ(ports[4].strDescription, "USB serial adapter (1a86:7523)");
    for (const CSerialPortInfo& port : ports) {
        EXPECT_TRUE(port.Marks().empty()) << port.strDevice;
        EXPECT_EQ(port.MarksText(), "");
    }

    m_sys.Unplug("ttyUSB0");
    EXPECT_EQ(Discovery().List().size(), 4u);
    EXPECT_FALSE(Discovery().Find(kFtdiById));
}

TEST_F(PortDiscovery, FindsAPortByEveryNameItIsListedUnder) {
    AddMachine();
    for (const std::string& name :
         {m_sys.Node("ttyUSB0"), m_sys.ById(kFtdiById), kFtdiById, std::string("ttyUSB0")}) {
        const auto port = Discovery().Find(name);
        ASSERT_TRUE(port) << name;
        EXPECT_EQ(port->strDevice, m_sys.Node("ttyUSB0")) << name;
    }
    EXPECT_FALSE(Discovery().Find("ttyS1")) << "a placeholder is not a port";
    EXPECT_FALSE(Discovery().Find("usb-FTDI"));
    EXPECT_FALSE(Discovery().Find(""));

    // Any path leading to a found port is that port; any other is looked at
    // on its own.
    EXPECT_EQ(Discovery().Inspect(m_sys.ById(kFtdiById)).strDescription,
              "FTDI FT232R USB UART (0403:6001, serial A50285BI)");
    const CSerialPortInfo gone = Discovery().Inspect(m_sys.ById("usb-gone-if00"));
    EXPECT_FALSE(gone.bPresent);
    EXPECT_EQ(gone.MarksText(), " [missing]");
    const CSerialPortInfo file = Discovery().Inspect(m_sys.Dir().Write("plain", "x"));
    EXPECT_TRUE(file.bPresent);
    EXPECT_EQ(file.strDescription, "");
    EXPECT_TRUE(file.Marks().empty());
}

TEST_F(PortDiscovery, MarksTheSystemConsole) {
    AddMachine();
    m_sys.SetConsole("tty0 ttyS0");
    for (const CSerialPortInfo& port : Discovery().List()) {
        EXPECT_EQ(port.bConsole, port.strDevice == m_sys.Node("ttyS0")) << port.strDevice;
    }
    EXPECT_EQ(Discovery().Find("ttyS0")->MarksText(), " [system console]");
    EXPECT_TRUE(Discovery().Inspect(m_sys.Node("ttyS0")).bConsole);
    EXPECT_TRUE(Discovery().Inspect("/dev/console").bConsole) << "a path of its own";
}

// Lists the ports as a user without rights to root's files sees them: in a
// child that has given up root when the test runs as root.
std::string ListWithoutRoot(const CFakeSysfs& sys) {
    if (::geteuid() != 0) {
        std::ostringstream lines;
        for (const CSerialPortInfo& port : CPortDiscovery(sys.Paths()).List()) {
            lines << port.strDevice << ' ' << port.bAccessible << ' ' << port.strNoAccess << '\n';
        }
        return lines.str();
    }
    namespace fs = std::filesystem;
    const std::string folder = sys.Dir().Path();
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_symlink() && entry.is_directory()) {
            fs::permissions(entry.path(), fs::perms::others_read | fs::perms::others_exec,
                            fs::perm_options::add);
        }
    }
    fs::permissions(folder, fs::perms::others_exec, fs::perm_options::add);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return "no pipe";
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        constexpr uid_t kNobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(1);
        }
        const std::string lines = ListWithoutRoot(sys);
        const ssize_t written = ::write(pipeFds[1], lines.data(), lines.size());
        ::_exit(written == static_cast<ssize_t>(lines.size()) ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::string lines;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        lines.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? lines : "child failed";
}

TEST_F(PortDiscovery, MarksAPortTheUserMayNotUseAndSaysWhy) {
    m_sys.AddUsbSerial("ttyUSB0", "1-1", kFtdi, kFtdiById);
    m_sys.AddAcmModem("ttyACM0", "1-2", kArduino);
    namespace fs = std::filesystem;
    fs::permissions(m_sys.Node("ttyUSB0"), fs::perms::none);
    fs::permissions(m_sys.Node("ttyACM0"), fs::perms::all);
    // The group of the device says which group the user is missing.
    std::string group = "dialout";
    if (const std::optional<unsigned> dialout = CFakeSysfs::GroupId("dialout");
        ::geteuid() == 0 && dialout) {
        ASSERT_EQ(::chown(m_sys.Node("ttyUSB0").c_str(), 0, *dialout), 0);
    } else if (const std::string own = CFakeSysfs::GroupName(::getegid());
               !own.empty() && ::getegid() != 0) {
        group = own;
    }

    EXPECT_EQ(ListWithoutRoot(m_sys), m_sys.Node("ttyACM0") + " 1 \n" + m_sys.Node("ttyUSB0") +
                                          " 0 Permission denied: is the user in the " + group +
                                          " group?\n");
}

// Opening a serial device can reset the board behind it, and one of them may
// be the console: the listing only reads sysfs and asks access(2).
TEST_F(PortDiscovery, ListingOpensNoDevice) {
    AddMachine();
    const int watch = ::inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    for (const char* name : {"ttyUSB0", "ttyUSB2", "ttyUSB10", "ttyACM0", "ttyS0", "ttyS1"}) {
        ASSERT_GE(::inotify_add_watch(watch, m_sys.Node(name).c_str(), IN_OPEN | IN_ACCESS), 0);
    }
    EXPECT_EQ(Discovery().List().size(), 5u);
    EXPECT_TRUE(Discovery().Find("ttyS0"));
    Discovery().Inspect(m_sys.ById(kFtdiById));
    char events[4096];
    EXPECT_EQ(::read(watch, events, sizeof events), -1) << "a device node was opened";
    ::close(watch);
}

}  // namespace

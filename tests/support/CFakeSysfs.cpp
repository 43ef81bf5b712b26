#include "tests/support/CFakeSysfs.h"

#include "platform/common/CPortDiscovery.h"
#include "platform/common/CSystemConsole.h"

#include <grp.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kUsbRoot = "pci0000:00/0000:00:14.0/usb1";

}  // namespace

const CFakeSysfs::CUsbDevice CFakeSysfs::kFtdi{"0403", "6001", "FTDI", "FT232R USB UART",
                                               "A50285BI"};

CFakeSysfs::CFakeSysfs() {
    fs::create_directories(m_dir.File("sys/class/tty"));
    fs::create_directories(m_dir.File("dev/serial/by-id"));
    SetConsole("");
}

CSystemPaths CFakeSysfs::Paths() const {
    CSystemPaths paths;
    paths.strSysRoot = m_dir.File("sys");
    paths.strDevRoot = DevRoot();
    paths.strActiveConsoles = m_dir.File("console-active");
    paths.strConsoles = m_dir.File("consoles");
    return paths;
}

void CFakeSysfs::WriteAttribute(const std::string& dir, const std::string& attribute,
                                const std::string& value) const {
    fs::create_directories(m_dir.File(dir));
    std::ofstream(m_dir.File(dir + "/" + attribute)) << value << '\n';
}

void CFakeSysfs::AddTty(const std::string& name, const std::string& deviceDir,
                        const std::string& byId) {
    const std::string ttyDir = "sys/devices/" + deviceDir + "/tty/" + name;
    fs::create_directories(m_dir.File(ttyDir));
    fs::create_directory_symlink("../../../" + fs::path(deviceDir).filename().string(),
                                 m_dir.File(ttyDir + "/device"));
    fs::create_directory_symlink(fs::relative(m_dir.File(ttyDir), m_dir.File("sys/class/tty")),
                                 m_dir.File("sys/class/tty/" + name));
    std::ofstream(Node(name)).put('\0');
    if (!byId.empty()) {
        fs::create_symlink("../../" + name, ById(byId));
    }
}

std::string CFakeSysfs::UsbDeviceDir(const std::string& usbPort, const CUsbDevice& usb) const {
    const std::string dir = "sys/devices/" + kUsbRoot + "/" + usbPort;
    WriteAttribute(dir, "idVendor", usb.strVendor);
    WriteAttribute(dir, "idProduct", usb.strProduct);
    // A device without a string leaves the attribute out.
    if (!usb.strManufacturer.empty()) {
        WriteAttribute(dir, "manufacturer", usb.strManufacturer);
    }
    if (!usb.strProductName.empty()) {
        WriteAttribute(dir, "product", usb.strProductName);
    }
    if (!usb.strSerial.empty()) {
        WriteAttribute(dir, "serial", usb.strSerial);
    }
    return kUsbRoot + "/" + usbPort + "/" + usbPort + ":1.0";
}

void CFakeSysfs::AddUsbSerial(const std::string& name, const std::string& usbPort,
                              const CUsbDevice& usb, const std::string& byId) {
    // The usb-serial driver puts a port device of its own between the
    // interface and the tty.
    AddTty(name, UsbDeviceDir(usbPort, usb) + "/" + name, byId);
}

void CFakeSysfs::AddAcmModem(const std::string& name, const std::string& usbPort,
                             const CUsbDevice& usb, const std::string& byId) {
    AddTty(name, UsbDeviceDir(usbPort, usb), byId);
}

void CFakeSysfs::AddUart(const std::string& name, const std::string& type) {
    const std::string device = "pnp0/00:0" + name.substr(name.size() - 1);
    AddTty(name, device, {});
    WriteAttribute("sys/devices/" + device + "/tty/" + name, "type", type);
}

void CFakeSysfs::AddVirtualTerminal(const std::string& name) {
    const std::string ttyDir = "sys/devices/virtual/tty/" + name;
    fs::create_directories(m_dir.File(ttyDir));
    fs::create_directory_symlink(fs::relative(m_dir.File(ttyDir), m_dir.File("sys/class/tty")),
                                 m_dir.File("sys/class/tty/" + name));
    std::ofstream(Node(name)).put('\0');
}

void CFakeSysfs::SetConsole(const std::string& names) {
    m_dir.Write("console-active", names + "\n");
}

void CFakeSysfs::LinkNode(const std::string& name, const std::string& target) {
    fs::remove(Node(name));
    fs::create_symlink(target, Node(name));
}

void CFakeSysfs::Unplug(const std::string& name) {
    const fs::path classLink = m_dir.File("sys/class/tty/" + name);
    fs::remove_all(fs::canonical(classLink));
    fs::remove(classLink);
    fs::remove(Node(name));
    for (const fs::directory_entry& link : fs::directory_iterator(DevRoot() + "/serial/by-id")) {
        if (fs::read_symlink(link.path()).filename() == name) {
            fs::remove(link.path());
        }
    }
}

std::string CFakeSysfs::GroupName(unsigned gid) {
    struct group entry {};
    struct group* found = nullptr;
    std::vector<char> buffer(4096);
    return ::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr
               ? found->gr_name
               : "";
}

std::optional<unsigned> CFakeSysfs::GroupId(const std::string& name) {
    struct group entry {};
    struct group* found = nullptr;
    std::vector<char> buffer(4096);
    if (::getgrnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr) {
        return std::nullopt;
    }
    return found->gr_gid;
}

#pragma once

#include "platform/common/CSystemPaths.h"
#include "tests/support/CTempDir.h"

#include <optional>
#include <string>

// A sysfs, a /dev and a console list of a test's own making, in a temporary
// folder, holding the kinds of serial ports a machine has. Port discovery and
// the console check given its Paths() look there instead of at the machine.
// Device nodes are plain files, or links to pseudo-terminals where a test
// transfers through them.
class CFakeSysfs {
public:
    // What a USB device says of itself.
    struct CUsbDevice {
        std::string strVendor;   // "0403"
        std::string strProduct;  // "6001"
        std::string strManufacturer;
        std::string strProductName;
        std::string strSerial;
    };

    // The name of a group, "" when it has none; the id of a named group.
    static std::string GroupName(unsigned gid);
    static std::optional<unsigned> GroupId(const std::string& name);

    // The adapter most tests plug in, and its by-id name.
    static const CUsbDevice kFtdi;
    static constexpr const char* kFtdiById = "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";

    CFakeSysfs();
    CFakeSysfs(const CFakeSysfs&) = delete;
    CFakeSysfs& operator=(const CFakeSysfs&) = delete;

    // A USB-to-serial adapter (ttyUSB*) or a modem of the USB ACM class
    // (ttyACM*) on USB port `usbPort` ("1-1"), with a /dev/serial/by-id link
    // when `byId` is not empty.
    void AddUsbSerial(const std::string& name, const std::string& usbPort, const CUsbDevice& usb,
                      const std::string& byId = {});
    void AddAcmModem(const std::string& name, const std::string& usbPort, const CUsbDevice& usb,
                     const std::string& byId = {});
    // A UART on the mainboard; type "0" is the kernel's placeholder for a
    // port that is not there.
    void AddUart(const std::string& name, const std::string& type = "4");
    // A virtual terminal: a tty with no device behind it.
    void AddVirtualTerminal(const std::string& name);
    // The ports that are the system console, as the kernel lists them.
    void SetConsole(const std::string& names);
    // Makes the device node of `name` a link to `target`.
    void LinkNode(const std::string& name, const std::string& target);
    // The adapter is pulled out: its tty, node and by-id link go.
    void Unplug(const std::string& name);

    // Where discovery and the console check look for this machine.
    CSystemPaths Paths() const;
    std::string DevRoot() const { return m_dir.File("dev"); }
    std::string Node(const std::string& name) const { return DevRoot() + "/" + name; }
    std::string ById(const std::string& link) const { return DevRoot() + "/serial/by-id/" + link; }
    const CTempDir& Dir() const { return m_dir; }

private:
    // The tty `name` under the device folder `deviceDir` (below sys/devices),
    // its class link and its device node.
    void AddTty(const std::string& name, const std::string& deviceDir, const std::string& byId);
    void WriteAttribute(const std::string& dir, const std::string& attribute,
                        const std::string& value) const;
    std::string UsbDeviceDir(const std::string& usbPort, const CUsbDevice& usb) const;

    CTempDir m_dir;
};

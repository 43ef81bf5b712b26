#include "platform/common/CPortDiscovery.h"

#include "platform/common/CSystemConsole.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A UART of type 0, unknown, is a placeholder the kernel keeps for a port
// that may be configured later; there is nothing behind it.
constexpr const char* kUnknownUartType = "0";
// How far above a tty's device its USB device may sit: the usb-serial port,
// then the interface, then the device.
constexpr int kUsbLevels = 4;

struct CRoots {
    fs::path sys;
    fs::path dev;
};

// The first line of a sysfs attribute, without its line end; "" when absent.
std::string ReadAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

// The path with every link resolved as far as it exists, for comparing two
// names of one device.
std::string Canonical(const fs::path& path) {
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(path, ec);
    return ec ? path.lexically_normal().string() : resolved.string();
}

// Resolved device node -> its link under serial/by-id.
std::map<std::string, std::string> ByIdLinks(const fs::path& devRoot) {
    std::map<std::string, std::string> links;
    std::error_code ec;
    std::vector<fs::path> entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(devRoot / "serial/by-id", ec)) {
        entries.push_back(entry.path());
    }
    std::sort(entries.begin(), entries.end());
    for (const fs::path& link : entries) {
        links.emplace(Canonical(link), link.string());
    }
    return links;
}

// "FTDI FT232R USB UART (0403:6001, serial A50285BI)" from the USB device
// above the tty, or "built-in serial port" when there is none.
std::string Describe(const fs::path& ttyDir, const fs::path& sysRoot) {
    std::error_code ec;
    const std::string devices = Canonical(sysRoot / "devices");
    fs::path dir = fs::canonical(ttyDir / "device", ec);
    for (int level = 0; !ec && level < kUsbLevels && dir.string().starts_with(devices);
         ++level, dir = dir.parent_path()) {
        const std::string vendor = ReadAttribute(dir / "idVendor");
        if (vendor.empty()) {
            continue;
        }
        const std::string maker = ReadAttribute(dir / "manufacturer");
        const std::string product = ReadAttribute(dir / "product");
        const std::string serial = ReadAttribute(dir / "serial");
        std::string text = maker;
        if (maker.empty() || product.starts_with(maker)) {
            text = product;
        } else if (!product.empty()) {
            text.append(" ").append(product);
        }
        if (text.empty()) {
            text = "USB serial adapter";
        }
        text.append(" (").append(vendor).append(":").append(ReadAttribute(dir / "idProduct"));
        if (!serial.empty()) {
            text.append(", serial ").append(serial);
        }
        return text.append(")");
    }
    return "built-in serial port";
}

// Whether this user may read and write the device, and if not, why; and
// whether it is there at all.
void CheckAccess(const std::string& device, CSerialPortInfo& info) {
    if (::access(device.c_str(), R_OK | W_OK) == 0) {
        return;
    }
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) {
        info.bPresent = false;
        return;
    }
    info.bAccessible = false;
    info.strNoAccess = std::strerror(error);
    if (error == EACCES || error == EPERM) {
        // The group that may use the device: dialout on Debian, uucp elsewhere.
        std::string group = "dialout";
        struct stat st {};
        if (::stat(device.c_str(), &st) == 0 && st.st_gid != 0) {
            struct group entry {};
            struct group* found = nullptr;
            std::vector<char> buffer(4096);
            if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) == 0 &&
                found != nullptr) {
                group = found->gr_name;
            }
        }
        info.strNoAccess += ": is the user in the " + group + " group?";
    }
}

// ttyS2 before ttyS10: the name's digits at its end compare as a number.
bool NaturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        const std::size_t digits = s.find_last_not_of("0123456789") + 1;
        return std::make_pair(s.substr(0, digits), s.substr(digits));
    };
    const auto [stemA, numA] = split(a);
    const auto [stemB, numB] = split(b);
    if (stemA != stemB) {
        return stemA < stemB;
    }
    if (numA.size() != numB.size()) {
        return numA.size() < numB.size();
    }
    return numA < numB;
}

}  // namespace

std::vector<CSerialPortInfo> CPortDiscovery::List() const {
    const CRoots roots{m_paths.strSysRoot, m_paths.strDevRoot};
    const std::map<std::string, std::string> byId = ByIdLinks(roots.dev);
    const std::vector<std::string> consoles = CSystemConsole(m_paths).ActiveNames();

    std::vector<std::pair<std::string, CSerialPortInfo>> found;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(roots.sys / "class/tty", ec)) {
        const fs::path& dir = entry.path();
        std::error_code linkEc;
        // Virtual terminals and pseudo-terminals have no device behind them.
        if (!fs::exists(fs::symlink_status(dir / "device", linkEc))) {
            continue;
        }
        if (ReadAttribute(dir / "type") == kUnknownUartType) {
            continue;
        }
        const std::string name = dir.filename().string();
        std::string node = name;
        std::replace(node.begin(), node.end(), '!', '/');  // sysfs writes '/' as '!'

        CSerialPortInfo info;
        info.strDevice = (roots.dev / node).string();
        if (const auto link = byId.find(Canonical(info.strDevice)); link != byId.end()) {
            info.strById = link->second;
        }
        info.strDescription = Describe(dir, roots.sys);
        info.bConsole = std::find(consoles.begin(), consoles.end(), node) != consoles.end();
        CheckAccess(info.strDevice, info);
        found.emplace_back(name, std::move(info));
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return NaturalLess(a.first, b.first); });
    std::vector<CSerialPortInfo> ports;
    ports.reserve(found.size());
    for (auto& [name, info] : found) {
        ports.push_back(std::move(info));
    }
    return ports;
}

std::optional<CSerialPortInfo> CPortDiscovery::Find(const std::string& name) const {
    const fs::path devRoot = m_paths.strDevRoot;
    std::vector<CSerialPortInfo> ports = List();
    const auto found = std::find_if(ports.begin(), ports.end(), [&](const CSerialPortInfo& port) {
        const std::string kernelName =
            fs::path(port.strDevice).lexically_relative(devRoot).string();
        return name == port.strDevice || name == kernelName ||
               (!port.strById.empty() && (name == port.strById || name == port.ByIdName()));
    });
    return found != ports.end() ? std::optional<CSerialPortInfo>(std::move(*found)) : std::nullopt;
}

std::optional<std::string> CPortDiscovery::PathOf(const std::string& name) const {
    const std::optional<CSerialPortInfo> port = Find(name);
    if (!port) {
        return std::nullopt;
    }
    return name == port->ByIdName() || name == port->strById ? port->strById : port->strDevice;
}

CSerialPortInfo CPortDiscovery::Inspect(const std::string& path) const {
    const std::string device = Canonical(path);
    std::vector<CSerialPortInfo> ports = List();
    const auto found = std::find_if(ports.begin(), ports.end(), [&](const CSerialPortInfo& port) {
        return Canonical(port.strDevice) == device;
    });
    if (found != ports.end()) {
        return std::move(*found);
    }
    CSerialPortInfo info;
    info.strDevice = path;
    info.bConsole = CSystemConsole(m_paths).IsConsole(path);
    CheckAccess(path, info);
    return info;
}

std::string CPortDiscovery::PathOfBareName(const std::string& name) const {
    return (fs::path(m_paths.strDevRoot) / name).string();
}

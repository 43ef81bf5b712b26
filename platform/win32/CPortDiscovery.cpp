#include "platform/common/CPortDiscovery.h"

#include "platform/common/Win32Text.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace {

// Every serial port driver that has a port lists it here, as a value whose
// data is the port's name ("COM3") and whose name is the driver's device
// ("\Device\Serial0", "\Device\VCP0").
constexpr const wchar_t* kSerialComm = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

std::string DevicePath(const std::string& comName) {
    return "\\\\.\\" + comName;
}

// "COM3" for "\\.\COM3" or "com3"; the name as given otherwise.
std::string ComName(const std::string& name) {
    std::string com = name.rfind("\\\\.\\", 0) == 0 ? name.substr(4) : name;
    std::transform(com.begin(), com.end(), com.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return com;
}

// COM2 before COM10.
bool NumberLess(const CSerialPortInfo& a, const CSerialPortInfo& b) {
    const std::string x = ComName(a.strDevice);
    const std::string y = ComName(b.strDevice);
    return x.size() != y.size() ? x.size() < y.size() : x < y;
}

}  // namespace

std::vector<CSerialPortInfo> CPortDiscovery::List() const {
    std::vector<CSerialPortInfo> ports;
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSerialComm, 0, KEY_QUERY_VALUE, &hKey) !=
        ERROR_SUCCESS) {
        return ports;  // no serial port driver has a port
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        wchar_t data[256];
        DWORD dataBytes = sizeof data;
        DWORD type = REG_NONE;
        const LSTATUS status = RegEnumValueW(hKey, index, name, &nameLength, nullptr, &type,
                                             reinterpret_cast<BYTE*>(data), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS || type != REG_SZ || dataBytes < sizeof(wchar_t)) {
            continue;
        }
        data[std::min<DWORD>(dataBytes / sizeof(wchar_t), 255)] = L'\0';
        CSerialPortInfo port;
        port.strDevice = DevicePath(Win32Text::Narrow(data));
        port.strDescription = "serial port (" + Win32Text::Narrow(name) + ")";
        ports.push_back(std::move(port));
    }
    RegCloseKey(hKey);
    std::sort(ports.begin(), ports.end(), NumberLess);
    return ports;
}

std::optional<CSerialPortInfo> CPortDiscovery::Find(const std::string& name) const {
    const std::string wanted = ComName(name);
    for (CSerialPortInfo& port : List()) {
        if (ComName(port.strDevice) == wanted) {
            return std::move(port);
        }
    }
    return std::nullopt;
}

std::optional<std::string> CPortDiscovery::PathOf(const std::string& name) const {
    const std::optional<CSerialPortInfo> port = Find(name);
    return port ? std::optional<std::string>(port->strDevice) : std::nullopt;
}

CSerialPortInfo CPortDiscovery::Inspect(const std::string& path) const {
    if (std::optional<CSerialPortInfo> port = Find(path)) {
        return std::move(*port);
    }
    CSerialPortInfo info;
    info.strDevice = path;
    info.bPresent = false;
    return info;
}

std::string CPortDiscovery::PathOfBareName(const std::string& name) const {
    return DevicePath(name);
}

#include "serial/CPortMap.h"

#include "platform/CSerialDevice.h"

#include <cstdlib>
#include <map>
#include <mutex>

namespace {

std::mutex g_mutex;
std::map<int, std::string>& Devices() {
    static std::map<int, std::string> devices;
    return devices;
}

}  // namespace

std::string CPortMap::DeviceFor(int port) {
    std::string name = "TOVRIK_COM" + std::to_string(port);
    if (const char* env = std::getenv(name.c_str()); env != nullptr && *env != '\0') {
        return env;
    }
    {
        std::lock_guard lock(g_mutex);
        auto it = Devices().find(port);
        if (it != Devices().end()) {
            return it->second;
        }
    }
    return CSerialDevice::DefaultPath(port);
}

void CPortMap::SetDevice(int port, const std::string& device) {
    std::lock_guard lock(g_mutex);
    if (device.empty()) {
        Devices().erase(port);
    } else {
        Devices()[port] = device;
    }
}

void CPortMap::Reset() {
    std::lock_guard lock(g_mutex);
    Devices().clear();
}

std::string CPortMap::PortName(int port) {
    return "COM" + std::to_string(port);
}

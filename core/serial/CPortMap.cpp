#include "core/serial/CPortMap.h"

#include "platform/common/CSerialDevice.h"

std::string CPortMap::DeviceFor(int port) const {
    const auto it = m_devices.find(port);
    return it != m_devices.end() ? it->second : CSerialDevice::DefaultPath(port);
}

void CPortMap::SetDevice(int port, const std::string& device) {
    if (device.empty()) {
        m_devices.erase(port);
    } else {
        m_devices[port] = device;
    }
}

std::string CPortMap::PortName(int port) {
    return "COM" + std::to_string(port);
}

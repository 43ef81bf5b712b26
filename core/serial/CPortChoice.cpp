#include "core/serial/CPortChoice.h"

#include "core/serial/CPortMap.h"
#include "platform/common/CPathName.h"
#include "platform/common/CPortDiscovery.h"
#include "platform/common/CSerialDevice.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos
               ? std::string()
               : text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// 1 for "1" or "COM1", up to the number of numbered ports; 0 otherwise.
int ComNumberOf(const std::string& text) {
    const std::string name = Upper(text);
    for (int port = 1; port <= CPortMap::kComPorts; ++port) {
        if (name == std::to_string(port) || name == CPortMap::PortName(port)) {
            return port;
        }
    }
    return 0;
}

}  // namespace

CPortChoice::CPortChoice() : m_strPath(CSerialDevice::DefaultPath(1)) {}

CPortChoice CPortChoice::Com(int number, const CPortMap& map) {
    return {number, map.DeviceFor(number)};
}

CPortChoice CPortChoice::Device(std::string path) {
    return {0, std::move(path)};
}

bool CPortChoice::Parse(const std::string& text, const CPortMap& map,
                        const CPortDiscovery& discovery, CPortChoice& choice) {
    const std::string name = Trimmed(text);
    if (name.empty()) {
        return false;
    }
    if (const int com = ComNumberOf(name)) {
        choice = Com(com, map);
    } else if (name.find_first_of("/\\") != std::string::npos) {
        choice = Device(name);
    } else {
        choice = Device(discovery.PathOf(name).value_or(discovery.PathOfBareName(name)));
    }
    return true;
}

std::string CPortChoice::Describe() const {
    return IsCom() ? CPortMap::PortName(m_nCom) + " (" + m_strPath + ")" : m_strPath;
}

std::string CPortChoice::ShortName() const {
    return IsCom() ? CPortMap::PortName(m_nCom) : CPathName::FileName(m_strPath);
}

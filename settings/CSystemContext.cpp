#include "settings/CSystemContext.h"

#include "settings/CTransferSettings.h"

#include <cstdlib>

CSystemContext CSystemContext::ForThisMachine() {
    CSystemContext context(CreateProfileStore(), CSystemPaths());
    CTransferSettings::LoadPortDevices(context.m_profile, context.m_ports);
    for (int port = 1; port <= CPortMap::kComPorts; ++port) {
        const std::string name = "TOVRIK_" + CPortMap::PortName(port);
        // Read once, at start, before any other thread runs.
        if (const char* device = std::getenv(name.c_str()); device != nullptr && *device != '\0') {
            context.m_ports.SetDevice(port, device);
        }
    }
    return context;
}

#pragma once

#include "core/serial/CPortMap.h"
#include "platform/common/CPortDiscovery.h"
#include "platform/common/CSystemPaths.h"
#include "settings/CProfile.h"

#include <memory>

// What a program knows of the machine and the user it runs for, made once at
// its start and handed to what needs it: the profile, the devices COM1 and
// COM2 stand for, and where the serial ports and the system consoles are
// listed. Tests make their own.
class CSystemContext {
public:
    CSystemContext(std::unique_ptr<CProfileStore> store, CSystemPaths paths)
        : m_profile(std::move(store)), m_paths(std::move(paths)) {}

    // The user's profile in the platform's store and the machine's own paths;
    // COM1 and COM2 on the devices the profile's "PORTS" section sets, and for
    // this run on those the environment variables TOVRIK_COM1 and TOVRIK_COM2
    // name.
    static CSystemContext ForThisMachine();

    CProfile& Profile() { return m_profile; }
    const CProfile& Profile() const { return m_profile; }
    CPortMap& Ports() { return m_ports; }
    const CPortMap& Ports() const { return m_ports; }
    const CSystemPaths& Paths() const { return m_paths; }
    CPortDiscovery Discovery() const { return CPortDiscovery(m_paths); }

private:
    CProfile m_profile;
    CSystemPaths m_paths;
    CPortMap m_ports;
};

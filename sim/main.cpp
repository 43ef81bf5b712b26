#include <cstdio>
#include <string>

#include "platform/CStandardDescriptors.h"
#include "sim/CConfigImage.h"
#include "sim/CDeviceLink.h"
#include "sim/CPseudoTerminal.h"
#include "sim/CQarnDevice.h"
#include "sim/CSimLog.h"
#include "sim/CSimOptions.h"
#include "sim/CStopSignal.h"

int main(int argc, char** argv) {
    // The terminal's master end must never become the standard output that
    // its path is printed to.
    if (!CStandardDescriptors::OpenMissing()) {
        return 1;
    }
    CSimOptions options;
    std::string error;
    if (!options.Parse(argc, argv, &error)) {
        std::fprintf(stderr, "qarn-sim: %s\n%s", error.c_str(), CSimOptions::Usage().c_str());
        return 2;
    }
    if (options.m_bHelp) {
        std::fputs(CSimOptions::Usage().c_str(), stdout);
        return 0;
    }

    CConfigImage config;
    if (!options.m_strConfig.empty() && !config.Load(options.m_strConfig, &error)) {
        std::fprintf(stderr, "qarn-sim: %s\n", error.c_str());
        return 1;
    }
    CSimLog log;
    if (!options.m_strLog.empty() && !log.Open(options.m_strLog, &error)) {
        std::fprintf(stderr, "qarn-sim: %s\n", error.c_str());
        return 1;
    }

    // Stop requests are caught before the path goes out, so a client that stops
    // us at once still gets a clean exit.
    CStopSignal::Install();
    CPseudoTerminal terminal;
    if (!terminal.Create(&error)) {
        std::fprintf(stderr, "qarn-sim: %s\n", error.c_str());
        return 1;
    }
    CDeviceLink link;
    if (!options.m_strLink.empty() &&
        !link.Create(options.m_strLink, terminal.SlavePath(), &error)) {
        std::fprintf(stderr, "qarn-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", terminal.SlavePath().c_str());
    std::fflush(stdout);
    log.Note("serving on " + terminal.SlavePath());

    CQarnDevice device(options, config, terminal, log);
    return device.Run();
}

#include <cstdio>
#include <string>

#include "platform/CStandardDescriptors.h"
#include "platform/ETovrikError.h"
#include "sim/CConfigImage.h"
#include "sim/CDeviceLink.h"
#include "sim/CPseudoTerminal.h"
#include "sim/CQarnDevice.h"
#include "sim/CSimLog.h"
#include "sim/CSimOptions.h"
#include "sim/CStopSignal.h"

namespace {

// Says why the simulator cannot start; its exit status.
int Refuse(const std::string& reason) {
    std::fprintf(stderr, "qarn-sim: %s\n", reason.c_str());
    return 1;
}

std::string ConfigRefusal(const std::string& path, std::error_code error) {
    if (error == ETovrikError::NotRegularFile) {
        return path + " is not a regular file";
    }
    if (error == std::errc::file_too_large) {
        return path + " is larger than 64 MiB: not a configuration";
    }
    return "cannot read " + path + ": " + error.message();
}

}  // namespace

int main(int argc, char** argv) {
    // The terminal's master end must never become the standard output that
    // its path is printed to.
    if (!CStandardDescriptors::OpenMissing()) {
        return 1;
    }
    CSimOptions options;
    if (const std::string refused = options.Parse(argc, argv); !refused.empty()) {
        std::fprintf(stderr, "qarn-sim: %s\n%s", refused.c_str(), CSimOptions::Usage().c_str());
        return 2;
    }
    if (options.m_bHelp) {
        std::fputs(CSimOptions::Usage().c_str(), stdout);
        return 0;
    }

    CConfigImage config;
    if (!options.m_strConfig.empty()) {
        if (const std::error_code error = config.Load(options.m_strConfig)) {
            return Refuse(ConfigRefusal(options.m_strConfig, error));
        }
    }
    CSimLog log;
    if (!options.m_strLog.empty()) {
        if (const std::error_code error = log.Open(options.m_strLog)) {
            return Refuse("cannot open log " + options.m_strLog + ": " + error.message());
        }
    }

    // Stop requests are caught before the path goes out, so a client that stops
    // us at once still gets a clean exit.
    CStopSignal::Install();
    CPseudoTerminal terminal;
    if (const std::error_code error = terminal.Create()) {
        return Refuse("cannot create a pseudo-terminal: " + error.message());
    }
    CDeviceLink link;
    if (!options.m_strLink.empty()) {
        if (const std::error_code error = link.Create(options.m_strLink, terminal.SlavePath())) {
            return Refuse(error == std::errc::file_exists
                              ? options.m_strLink + " exists and is not a symbolic link"
                              : "cannot link " + options.m_strLink + ": " + error.message());
        }
    }
    std::printf("%s\n", terminal.SlavePath().c_str());
    std::fflush(stdout);
    log.Note("serving on " + terminal.SlavePath());

    CQarnDevice device(options, config, terminal, log);
    return device.Run();
}

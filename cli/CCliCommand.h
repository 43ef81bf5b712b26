#pragma once

#include "platform/common/CInterruptGuard.h"
#include "platform/common/ETovrikError.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

class CSystemContext;

// One subcommand of tovrik-cli: its name and what runs it. A command gets what
// the program knows of the machine, the arguments after its name, and returns
// the process exit status.
struct CCliCommand {
    using Handler = int (*)(CSystemContext& context, const std::vector<std::string>& args,
                            std::ostream& out, std::ostream& err);
    const char* name;
    Handler run;
};

// A file name from the command line, which holds UTF-8 on every system, as
// the standard library's path.
inline std::filesystem::path Utf8Path(const std::string& name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

// Exit status of tovrik-cli.
constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1;  // a transfer failed: port not opened, no connection, line error
constexpr int kExitUsage = 2;   // a usage error, or a file that cannot be read or written
// Ended by a signal: 128 and the signal's number, as a shell reports it.
constexpr int ExitStatusForSignal(int signal) {
    return 128 + signal;
}

// A save that failed: a file that cannot be written, or the signal that
// stopped the save.
inline int ExitStatusForSave(std::error_code error) {
    return error == ETovrikError::SaveInterrupted ? ExitStatusForSignal(CInterruptGuard::Caught())
                                                  : kExitUsage;
}

#pragma once

#include <cstdlib>
#include <string>

// What scripts/wine-test.sh hands a test: COM5 is qarn-sim's pseudo-terminal,
// COM6 a regular file, COM200 nothing at all; COM1..COM4 lead nowhere and are
// never opened.
namespace CWineRun {

inline constexpr const char* kSimPort = "\\\\.\\COM5";
inline constexpr const char* kFilePort = "\\\\.\\COM6";
inline constexpr const char* kMissingPort = "\\\\.\\COM200";

// The folder of this run, as Windows names it ("" outside the harness).
inline std::string Folder() {
    const char* run = std::getenv("TOVRIK_TEST_RUN");
    return run != nullptr ? run : "";
}

// The file qarn-sim writes what it receives after "#CU" to.
inline std::string SimReceived() {
    return Folder() + "/received.s19";
}

}  // namespace CWineRun

#include "platform/CSystemConsole.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

namespace {

constexpr const char* kActiveFile = "/sys/class/tty/console/active";
constexpr const char* kConsolesFile = "/proc/consoles";

std::mutex g_mutex;
std::string g_activeFile = kActiveFile;
std::string g_consolesFile = kConsolesFile;

// Every whitespace-separated word of the file's first line, or of the first
// word of every line; false when the file cannot be read.
bool ReadWords(const std::string& path, bool firstWordOfEachLine, std::vector<std::string>& words) {
    std::ifstream in(path);
    if (!in) {
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string word;
        while (fields >> word) {
            words.push_back(word);
            if (firstWordOfEachLine) {
                break;
            }
        }
        if (!firstWordOfEachLine) {
            break;
        }
    }
    return true;
}

// The path with its links resolved where it exists, else as given.
std::string Resolved(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) != nullptr ? std::string(buffer) : path;
}

}  // namespace

void CSystemConsole::SetSources(const std::string& activeFile, const std::string& consolesFile) {
    const std::lock_guard lock(g_mutex);
    g_activeFile = activeFile;
    g_consolesFile = consolesFile;
}

void CSystemConsole::ResetSources() {
    SetSources(kActiveFile, kConsolesFile);
}

std::vector<std::string> CSystemConsole::ActiveNames() {
    std::string activeFile;
    std::string consolesFile;
    {
        const std::lock_guard lock(g_mutex);
        activeFile = g_activeFile;
        consolesFile = g_consolesFile;
    }
    std::vector<std::string> names;
    if (!ReadWords(activeFile, false, names)) {
        ReadWords(consolesFile, true, names);
    }
    return names;
}

bool CSystemConsole::IsConsole(const std::string& path) {
    const std::string device = Resolved(path);
    const std::string dev = "/dev/";
    if (device.rfind(dev, 0) != 0) {
        return false;
    }
    const std::string name = device.substr(dev.size());
    if (name == "console") {
        return true;
    }
    const std::vector<std::string> names = ActiveNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

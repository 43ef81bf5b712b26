#include "platform/common/CSystemConsole.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

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

std::vector<std::string> CSystemConsole::ActiveNames() const {
    std::vector<std::string> names;
    if (!ReadWords(m_paths.strActiveConsoles, false, names)) {
        ReadWords(m_paths.strConsoles, true, names);
    }
    return names;
}

bool CSystemConsole::IsConsole(const std::string& path) const {
    const std::string device = Resolved(path);
    std::string name;
    // A node of the device folder in use, or of the machine's own, which links
    // such as /dev/serial/by-id and pseudo-terminals lead to.
    for (const std::string& root : {Resolved(m_paths.strDevRoot) + "/", std::string("/dev/")}) {
        if (name.empty() && device.rfind(root, 0) == 0) {
            name = device.substr(root.size());
        }
    }
    if (name.empty()) {
        return false;
    }
    if (name == "console") {
        return true;
    }
    const std::vector<std::string> names = ActiveNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

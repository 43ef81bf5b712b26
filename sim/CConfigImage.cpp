#include "sim/CConfigImage.h"

#include <fstream>
#include <sstream>

bool CConfigImage::Load(const std::string& path, std::string* pError) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *pError = "cannot read " + path;
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    m_lines = SplitLines(all.str());
    return true;
}

std::vector<std::string> CConfigImage::SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        lines.push_back(line + "\r\n");
        line.clear();
    }
    if (!line.empty()) {
        lines.push_back(line + "\r\n");
    }
    return lines;
}

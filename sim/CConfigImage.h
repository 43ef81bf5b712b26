#pragma once

#include <string>
#include <vector>

// The configuration the simulated device holds: the lines of an ".s19" file,
// each ending in CR LF whatever line ends the file used (LF, CR LF or CR).
class CConfigImage {
public:
    bool Load(const std::string& path, std::string* pError);
    // Splits text into lines and gives each a CR LF end.
    static std::vector<std::string> SplitLines(const std::string& text);

    const std::vector<std::string>& Lines() const { return m_lines; }
    bool IsEmpty() const { return m_lines.empty(); }

private:
    std::vector<std::string> m_lines;
};

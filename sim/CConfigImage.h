#pragma once

#include <string>
#include <system_error>
#include <vector>

// The configuration the simulated device holds: the lines of an ".s19" file,
// each ending in CR LF whatever line ends the file used (LF, CR LF or CR).
class CConfigImage {
public:
    // Reads the file's lines. Refuses what is not a regular file
    // (ETovrikError::NotRegularFile) and a file over 64 MiB (file_too_large).
    [[nodiscard]] std::error_code Load(const std::string& path);
    // Splits text into lines and gives each a CR LF end.
    static std::vector<std::string> SplitLines(const std::string& text);

    const std::vector<std::string>& Lines() const { return m_lines; }
    bool IsEmpty() const { return m_lines.empty(); }

private:
    std::vector<std::string> m_lines;
};

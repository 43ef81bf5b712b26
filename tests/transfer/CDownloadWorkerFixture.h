#pragma once

#include "tests/support/CWorkerFixture.h"

#include <string>
#include <vector>

// The download worker's tests, over a pseudo-terminal and over the fake port.
namespace DownloadWorkerText {

inline const std::string kPreamble = "\r\n\r\n#CU\r\n";

inline int LengthOf(const std::vector<std::string>& lines, std::size_t first, std::size_t count) {
    int n = 0;
    for (std::size_t i = first; i < first + count; ++i) {
        n += static_cast<int>(lines[i].size());
    }
    return n;
}

inline std::string LastCount(const std::vector<std::string>& log) {
    for (auto it = log.rbegin(); it != log.rend(); ++it) {
        if (it->starts_with("count:")) {
            return *it;
        }
    }
    return "";
}

}  // namespace DownloadWorkerText

class DownloadWorker : public CWorkerFixture {
protected:
    std::vector<std::string> LoadRecords(int nRecords) {
        auto lines = CTestConfig::Lines(nRecords);
        CTestConfig::Load(m_doc, lines);
        return lines;
    }
};

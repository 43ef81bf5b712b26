#pragma once

#include <cstdio>
#include <string>
#include <system_error>

// The simulator's log: one time-stamped line per event or received line, with
// control and non-ASCII bytes written as escapes. Does nothing without a file.
class CSimLog {
public:
    CSimLog() = default;
    ~CSimLog();
    CSimLog(const CSimLog&) = delete;
    CSimLog& operator=(const CSimLog&) = delete;

    [[nodiscard]] std::error_code Open(const std::string& path);
    void Received(const std::string& bytes);
    void Note(const std::string& text);

private:
    void WriteLine(const std::string& text);

    std::FILE* m_pFile = nullptr;
};

#include "sim/CSimLog.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

CSimLog::~CSimLog() {
    if (m_pFile != nullptr) {
        std::fclose(m_pFile);
    }
}

std::error_code CSimLog::Open(const std::string& path) {
    m_pFile = std::fopen(path.c_str(), "a");
    return m_pFile == nullptr ? std::error_code(errno, std::generic_category()) : std::error_code();
}

void CSimLog::Received(const std::string& bytes) {
    std::string text = "received \"";
    for (unsigned char c : bytes) {
        if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '"' || c == '\\') {
            text += '\\';
            text += static_cast<char>(c);
        } else if (c < 32 || c > 126) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        } else {
            text += static_cast<char>(c);
        }
    }
    WriteLine(text + "\"");
}

void CSimLog::Note(const std::string& text) {
    WriteLine(text);
}

void CSimLog::WriteLine(const std::string& text) {
    if (m_pFile == nullptr) {
        return;
    }
    auto now = std::chrono::system_clock::now();
    std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(m_pFile, "%s.%03d %s\n", stamp, static_cast<int>(ms.count()), text.c_str());
    std::fflush(m_pFile);
}

#pragma once

#include <windows.h>

#include <string>

// Text the program shows (status lines, the summary, message boxes) in UTF-16.
// Unlike a file name, a line that is not valid UTF-8 (a header read from a
// damaged file) is still shown, each bad byte as a replacement character.
class CDisplayText {
public:
    static std::wstring Widen(const std::string& utf8) {
        if (utf8.empty()) {
            return {};
        }
        const int size = static_cast<int>(utf8.size());
        const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
        return wide;
    }
};

#include "Win32Path.h"

#include <windows.h>

#include "platform/common/Win32Text.h"

namespace Win32Path {

std::wstring FullPath(const std::string& utf8) {
    const std::wstring name = Win32Text::Widen(utf8);
    if (name.empty()) {
        return {};
    }
    const DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return {};
    }
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(name.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        return {};
    }
    full.resize(length);
    return full;
}

bool IsDevice(const std::wstring& full) {
    return full.rfind(L"\\\\.\\", 0) == 0;
}

}  // namespace Win32Path

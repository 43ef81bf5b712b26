#include "CStringTable.h"

#include <windows.h>

std::wstring CStringTable::Load(unsigned nID) {
    // With a length of 0, LoadStringW hands out a pointer into the resource
    // itself, which is not null-terminated.
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), nID, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring CStringTable::Field(unsigned nID, int nField) {
    const std::wstring text = Load(nID);
    size_t start = 0;
    for (int i = 0; i < nField; ++i) {
        start = text.find(L'\n', start);
        if (start == std::wstring::npos) {
            return {};
        }
        ++start;
    }
    return text.substr(start, text.find(L'\n', start) - start);
}

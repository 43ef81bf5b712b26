#include "CRegistryProfileStore.h"

#include "platform/common/Win32Text.h"
#include "settings/CProfile.h"

#include <windows.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// QSettings marks its own encodings ("@Variant(...)", "@ByteArray(...)") with a
// leading '@' and so writes a text that starts with '@' with one more.
constexpr wchar_t kEscape = L'@';

std::wstring SectionKey(const std::string& section) {
    return Win32Text::Widen(CRegistryProfileStore::KeyPath() + "\\" + section);
}

// One value as the registry holds it.
struct CValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

std::optional<CValue> Read(const std::string& section, const std::string& key) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, KEY_QUERY_VALUE, &hKey) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::wstring name = Win32Text::Widen(key);
    CValue value;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(hKey, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status =
            RegQueryValueExW(hKey, name.c_str(), nullptr, &value.type, value.data.data(), &size);
        value.data.resize(size);
    }
    RegCloseKey(hKey);
    if (status != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

// A REG_SZ or REG_EXPAND_SZ value's text, without the terminating NULs.
std::wstring TextOf(const CValue& value) {
    std::wstring text(value.data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), value.data.data(), text.size() * sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return text;
}

std::int32_t NumberOf(const CValue& value) {
    std::int32_t number = 0;
    std::memcpy(&number, value.data.data(), sizeof number);
    return number;
}

bool IsText(const CValue& value) {
    return value.type == REG_SZ || value.type == REG_EXPAND_SZ;
}

bool Write(const std::string& section, const std::string& key, DWORD type, const BYTE* data,
           DWORD size) {
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &hKey, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool written =
        RegSetValueExW(hKey, Win32Text::Widen(key).c_str(), 0, type, data, size) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return written;
}

}  // namespace

std::unique_ptr<CProfileStore> CreateProfileStore() {
    return std::make_unique<CRegistryProfileStore>();
}

std::string CRegistryProfileStore::KeyPath() {
    return std::string("Software\\") + CProfile::kOrganization + "\\" + CProfile::kApplication;
}

std::optional<int> CRegistryProfileStore::GetInt(const std::string& section,
                                                 const std::string& key) {
    const std::optional<CValue> value = Read(section, key);
    if (!value) {
        return std::nullopt;
    }
    if (value->type == REG_DWORD && value->data.size() == sizeof(std::int32_t)) {
        return NumberOf(*value);
    }
    if (IsText(*value)) {
        // A number kept as text, as an older program or a user may have left it.
        const std::string text = Win32Text::Narrow(TextOf(*value));
        int number = 0;
        const char* first = text.data();
        const char* last = text.data() + text.size();
        if (first != last && *first == '+') {
            ++first;
        }
        const auto [end, ec] = std::from_chars(first, last, number);
        if (ec == std::errc() && end == last && first != last) {
            return number;
        }
    }
    return std::nullopt;
}

std::optional<std::string> CRegistryProfileStore::GetString(const std::string& section,
                                                            const std::string& key) {
    const std::optional<CValue> value = Read(section, key);
    if (!value) {
        return std::nullopt;
    }
    if (value->type == REG_DWORD && value->data.size() == sizeof(std::int32_t)) {
        return std::to_string(NumberOf(*value));
    }
    if (!IsText(*value)) {
        return std::nullopt;
    }
    std::wstring text = TextOf(*value);
    if (text.size() >= 2 && text[0] == kEscape && text[1] == kEscape) {
        text.erase(0, 1);
    } else if (!text.empty() && text[0] == kEscape) {
        return std::nullopt;  // one of QSettings' own encodings, not a text
    }
    return Win32Text::Narrow(text);
}

bool CRegistryProfileStore::WriteInt(const std::string& section, const std::string& key,
                                     int value) {
    const auto number = static_cast<std::int32_t>(value);
    return Write(section, key, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

bool CRegistryProfileStore::WriteString(const std::string& section, const std::string& key,
                                        const std::string& value) {
    std::wstring text = Win32Text::Widen(value);
    if (!text.empty() && text[0] == kEscape) {
        text.insert(text.begin(), kEscape);
    }
    const auto size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return Write(section, key, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), size);
}

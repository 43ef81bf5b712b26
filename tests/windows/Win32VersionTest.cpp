// The version records of tovrik.exe and tovrik-cli.exe, read back as Windows
// Explorer reads them (TOVRIK_GUI_EXE and TOVRIK_CLI_EXE name the programs).

#include "res/Version.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring Wide(const char* text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

}  // namespace

TEST(Win32Version, EachProgramCarriesItsVersionRecord) {
    struct Case {
        const wchar_t* pszVariable;
        const wchar_t* pszDescription;
        const wchar_t* pszInternalName;
        const wchar_t* pszFileName;
    };
    for (const Case& c :
         {Case{L"TOVRIK_GUI_EXE", L"Tovrik Application", L"Tovrik", L"Tovrik.EXE"},
          Case{L"TOVRIK_CLI_EXE", L"Tovrik command-line tool", L"tovrik-cli", L"tovrik-cli.exe"}}) {
        const wchar_t* program = _wgetenv(c.pszVariable);
        ASSERT_NE(program, nullptr) << c.pszFileName;
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeW(program, &handle);
        ASSERT_GT(size, 0u) << c.pszFileName << ": no version record";
        std::vector<unsigned char> data(size);
        ASSERT_TRUE(GetFileVersionInfoW(program, 0, size, data.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        const DWORD ms = MAKELONG(1, 0);  // 0.1
        const DWORD ls = MAKELONG(2, 0);  // .0.2
        EXPECT_EQ(fixed->dwFileVersionMS, ms);
        EXPECT_EQ(fixed->dwFileVersionLS, ls);
        EXPECT_EQ(fixed->dwProductVersionMS, ms);
        EXPECT_EQ(fixed->dwProductVersionLS, ls);

        const std::pair<const wchar_t*, std::wstring> strings[] = {
            {L"FileDescription", c.pszDescription}, {L"InternalName", c.pszInternalName},
            {L"OriginalFilename", c.pszFileName},   {L"ProductName", L"Tovrik Application"},
            {L"FileVersion", Wide(TOVRIK_VERSION)}, {L"ProductVersion", Wide(TOVRIK_VERSION)}};
        for (const auto& [name, expected] : strings) {
            const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
            wchar_t* value = nullptr;
            ASSERT_TRUE(VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value),
                                       &length))
                << c.pszFileName;
            EXPECT_EQ(std::wstring(value), expected) << c.pszFileName;
        }
    }
}

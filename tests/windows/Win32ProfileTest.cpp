#include "core/serial/CPortMap.h"
#include "settings/CProfile.h"
#include "settings/CSystemContext.h"
#include "settings/CTransferSettings.h"

#include <gtest/gtest.h>

#include <windows.h>
// Windows names its own .ini functions so; the profile's are meant here.
#undef GetProfileString
#undef WriteProfileString

#include <string>

// The profile in the registry, as the desktop program keeps it through
// QSettings. Every run has a fresh Wine prefix, so the registry starts empty.
namespace {

const wchar_t kKey[] = L"Software\\Local AppWizard-Generated Applications\\Tovrik";

std::wstring SectionKey(const wchar_t* section) {
    return std::wstring(kKey) + L"\\" + section;
}

// A value written the way another program (QSettings, regedit) would.
void Put(const wchar_t* section, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY hKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(hKey, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(hKey);
}

void PutText(const wchar_t* section, const wchar_t* name, const std::wstring& text) {
    Put(section, name, REG_SZ, text.c_str(),
        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void PutNumber(const wchar_t* section, const wchar_t* name, DWORD number) {
    Put(section, name, REG_DWORD, &number, sizeof number);
}

DWORD TypeOf(const wchar_t* section, const wchar_t* name) {
    DWORD type = REG_NONE;
    RegGetValueW(HKEY_CURRENT_USER, SectionKey(section).c_str(), name, RRF_RT_ANY, &type, nullptr,
                 nullptr);
    return type;
}

class Win32Profile : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
    void TearDown() override { SetUp(); }

    CProfile profile{CreateProfileStore()};
    CPortMap map;
};

}  // namespace

TEST_F(Win32Profile, WritesNumbersAsDwordAndTextsAsStringsUnderTheProgramsKey) {
    ASSERT_FALSE(CTransferSettings::SaveBaudIndex(profile, 6));
    ASSERT_FALSE(CTransferSettings::SavePort(profile, CPortChoice::Com(2, map)));
    ASSERT_FALSE(profile.WriteProfileString("PORTS", "COM1", "\\\\.\\COM7"));
    EXPECT_EQ(TypeOf(L"INITALISATION", L"BRSEL"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(TypeOf(L"INITALISATION", L"CPSEL"), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(TypeOf(L"PORTS", L"COM1"), static_cast<DWORD>(REG_SZ));
    DWORD baud = 0;
    DWORD size = sizeof baud;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, SectionKey(L"INITALISATION").c_str(), L"BRSEL",
                           RRF_RT_REG_DWORD, nullptr, &baud, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(baud, 6u);

    const CTransferSettings settings = CTransferSettings::Load(profile, map);
    EXPECT_EQ(settings.BaudRate(), 38400);
    EXPECT_EQ(settings.m_port.ComNumber(), 2);
}

TEST_F(Win32Profile, ReadsWhatQSettingsWroteAsNumbersOrAsText) {
    PutNumber(L"INITALISATION", L"BRSEL", 5);
    PutText(L"INITALISATION", L"CPSEL", L"1");
    const CTransferSettings settings = CTransferSettings::Load(profile, map);
    EXPECT_EQ(settings.BaudRate(), 19200);
    EXPECT_EQ(settings.m_port.ComNumber(), 2);
    EXPECT_EQ(profile.GetProfileString("INITALISATION", "BRSEL"), "5");

    PutText(L"INITALISATION", L"BRSEL", L"fast");
    PutText(L"INITALISATION", L"CPSEL", L"9");
    const CTransferSettings fallback = CTransferSettings::Load(profile, map);
    EXPECT_EQ(fallback.BaudRate(), 9600) << "a value that is no number gives the default";
    EXPECT_EQ(fallback.m_port.ComNumber(), 1) << "an index past the list gives the default";
}

TEST_F(Win32Profile, TextsKeepTheirCharactersAndQSettingsEscapes) {
    const std::string path = "C:\\Ger\xC3\xA4te\\\xE2\x82\xAC";
    ASSERT_FALSE(profile.WriteProfileString("PORTS", "COM2", path));
    EXPECT_EQ(profile.GetProfileString("PORTS", "COM2"), path);
    ASSERT_FALSE(profile.WriteProfileString("PORTS", "COM1", "@home"));
    EXPECT_EQ(profile.GetProfileString("PORTS", "COM1"), "@home");
    wchar_t stored[16] = {};
    DWORD size = sizeof stored;
    RegGetValueW(HKEY_CURRENT_USER, SectionKey(L"PORTS").c_str(), L"COM1", RRF_RT_REG_SZ, nullptr,
                 stored, &size);
    EXPECT_EQ(std::wstring(stored), L"@@home") << "QSettings marks a leading @ with another";
    PutText(L"PORTS", L"COM1", L"@Variant(\\0\\0\\0\\x7f)");
    EXPECT_EQ(profile.GetProfileString("PORTS", "COM1", "none"), "none")
        << "a QSettings encoding is not a device";
}

TEST_F(Win32Profile, ComPortsFollowThePortsSectionElseTheirOwnNames) {
    CTransferSettings::LoadPortDevices(profile, map);
    EXPECT_EQ(map.DeviceFor(1), "\\\\.\\COM1");
    EXPECT_EQ(map.DeviceFor(2), "\\\\.\\COM2");
    PutText(L"PORTS", L"COM1", L"\\\\.\\COM12");
    CTransferSettings::LoadPortDevices(profile, map);
    EXPECT_EQ(map.DeviceFor(1), "\\\\.\\COM12");
    EXPECT_EQ(map.DeviceFor(2), "\\\\.\\COM2");
    // What tovrik.exe and tovrik-cli.exe make at start.
    EXPECT_EQ(CSystemContext::ForThisMachine().Ports().DeviceFor(1), "\\\\.\\COM12");
}

// The About box and the transfer dialog, made from their templates on a real
// display: their sizes and control positions in dialog units, and the lists.

#include "CWin32User.h"
#include "core/data/CQARNCfgDoc.h"
#include "gui-win32/CAboutDlg.h"
#include "gui-win32/CTransferDlg.h"
#include "gui-win32/CWin32Prompter.h"
#include "res/Version.h"
#include "settings/CTransferSettings.h"
#include "tests/support/CScriptedPrompter.h"
#include "tests/support/CTestContext.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Origin and size map each on its own, as the dialog manager maps them.
RECT DialogUnits(HWND dialog, int x, int y, int cx, int cy) {
    RECT units = {x, y, cx, cy};
    MapDialogRect(dialog, &units);
    return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}

RECT ClientRectOf(HWND dialog, int nID) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, nID), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Name(RECT rect) {
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

// A transfer dialog without its modal loop, over an empty document and a
// profile in memory.
class Win32TransferDlg : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(transfer.Create(nullptr, doc, ETransferMode::Upload)); }

    CSystemContext context = CTestContext::Make();
    CScriptedPrompter prompter;
    CQARNCfgDoc doc;
    CTransferDlg transfer{prompter, context};
};

}  // namespace

TEST_F(Win32TransferDlg, ItAndTheAboutBoxHaveTheirSizesCaptionsAndControlPositionsInDialogUnits) {
    struct Control {
        int nID;
        RECT units;    // x, y, width, height
        bool bHeight;  // a drop-down list's height is that of its open list
    };
    struct Case {
        HWND hWnd;
        const wchar_t* pszCaption;
        int cx, cy;
        std::vector<Control> controls;
    };
    CAboutDlg about;
    ASSERT_TRUE(about.Create(nullptr));
    const Case cases[] = {
        {about.GetSafeHwnd(), L"About Tovrik", 179, 101, {{IDOK, {69, 74, 50, 14}, true}}},
        {transfer.GetSafeHwnd(),
         L"Tovrik - QARN Data Backup/Restore",
         313,
         301,
         {{IDOK, {241, 268, 50, 14}, true},
          {IDCANCEL, {183, 268, 50, 14}, true},
          {IDC_TRANSFER, {197, 239, 75, 14}, true},
          {IDC_PROGRESS, {54, 159, 227, 14}, true},
          {IDC_STATUS, {54, 176, 228, 53}, true},
          {IDC_BYTES, {78, 234, 69, 14}, true},
          {IDC_PORT, {65, 35, 48, 43}, false},
          {IDC_BAUDRATE, {175, 33, 48, 58}, false},
          {IDC_FLOWCONTROL, {175, 81, 48, 30}, false}}},
    };
    for (const Case& c : cases) {
        HWND dialog = c.hWnd;
        EXPECT_EQ(CWin32User::Text(dialog), c.pszCaption);
        RECT client = {};
        GetClientRect(dialog, &client);
        const RECT size = DialogUnits(dialog, 0, 0, c.cx, c.cy);
        EXPECT_EQ(Name(client), Name(size)) << c.cx << " x " << c.cy << " dialog units";
        for (const Control& control : c.controls) {
            const RECT& u = control.units;
            RECT expected = DialogUnits(dialog, u.left, u.top, u.right, u.bottom);
            RECT actual = ClientRectOf(dialog, control.nID);
            if (!control.bHeight) {
                expected.bottom = actual.bottom;
            }
            EXPECT_EQ(Name(actual), Name(expected)) << "control " << control.nID;
        }
    }
    // The About box's version line and the icon beside it.
    HWND dialog = about.GetSafeHwnd();
    std::vector<std::wstring> labels;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        labels.push_back(CWin32User::Text(child));
    }
    const std::string version = TOVRIK_VERSION_LINE;
    EXPECT_NE(std::find(labels.begin(), labels.end(), std::wstring(version.begin(), version.end())),
              labels.end());
    EXPECT_NE(std::find(labels.begin(), labels.end(), L"QARN Data Backup/Restore Tool"),
              labels.end());
}

// The resource compiler adds its own default styles to each kind of control.
// (Borders and scroll bars are left out: the controls turn them into edges, or
// hide them while there is nothing to scroll.)
TEST_F(Win32TransferDlg, ItsControlsHaveTheirStyles) {
    struct Case {
        int nID;
        DWORD dwWith;
        DWORD dwWithout;
    };
    const Case cases[] = {
        {IDC_STATUS, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, LBS_SORT},
        {IDC_BYTES, ES_READONLY | ES_NUMBER | ES_AUTOHSCROLL, WS_BORDER},
        {IDC_PROGRESS, PBS_SMOOTH, 0},
        {IDC_BAUDRATE, CBS_DROPDOWNLIST, CBS_SORT},
        {IDC_PORT, CBS_DROPDOWNLIST, CBS_SORT},
        {IDC_FLOWCONTROL, CBS_DROPDOWN | CBS_SORT, CBS_DROPDOWNLIST & ~CBS_DROPDOWN},
    };
    for (const Case& c : cases) {
        const auto style =
            static_cast<DWORD>(GetWindowLongPtrW(transfer.GetDlgItem(c.nID), GWL_STYLE));
        EXPECT_EQ(style & c.dwWith, c.dwWith) << "control " << c.nID;
        EXPECT_EQ(style & c.dwWithout, 0u) << "control " << c.nID;
    }
}

TEST_F(Win32TransferDlg, ItsListsHoldTheirEntriesAndShowTheFixedLineFormat) {
    struct Case {
        int nID;
        std::vector<std::wstring> entries;  // as shown: a sorted list sorts them
        int nSelected;
        bool bEnabled;
    };
    // An empty profile: COM1 at 9600 baud. The harness leaves COM5 alone.
    const Case cases[] = {
        {IDC_BAUDRATE, {L"1200", L"2400", L"4800", L"9600", L"14400", L"19200", L"38400"}, 3, true},
        {IDC_PORT,
         {L"COM1 (\\\\.\\COM1) [missing]", L"COM2 (\\\\.\\COM2) [missing]",
          L"\\\\.\\COM5 \u2013 serial port (\\Device\\Serial4)", L"Other\u2026"},
         0,
         true},
        {IDC_DATABITS, {L"7", L"8"}, 1, false},
        {IDC_PARITY, {L"NONE", L"EVEN", L"ODD"}, 0, false},
        {IDC_STOPBITS, {L"1", L"1.5", L"2"}, 0, false},
        {IDC_FLOWCONTROL, {L"Hardware", L"None", L"Xon/Xoff"}, 1, false},
    };
    for (const Case& c : cases) {
        HWND list = transfer.GetDlgItem(c.nID);
        EXPECT_EQ(CWin32User::Rows(list), c.entries) << "list " << c.nID;
        EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), c.nSelected) << "list " << c.nID;
        EXPECT_EQ(IsWindowEnabled(list) != FALSE, c.bEnabled) << "list " << c.nID;
    }
}

TEST_F(Win32TransferDlg, OpensReadyAndWrapsLongStatusLinesWithinTheList) {
    HWND list = transfer.GetDlgItem(IDC_STATUS);
    EXPECT_EQ(CWin32User::Rows(list), std::vector<std::wstring>{L"Ready to Upload."});
    EXPECT_EQ(CWin32User::Text(transfer.GetDlgItem(IDC_BYTES)), L"0 of 196642");
    const std::wstring line =
        L"Cannot open port COM1 (\\\\.\\COM1): The system cannot find the file specified. "
        L"There is no such device: check the port setting.";
    transfer.AddStatusLine(std::string(line.begin(), line.end()));
    EXPECT_EQ(CWin32User::Rows(list), (std::vector<std::wstring>{L"Ready to Upload.", line}));
    EXPECT_GE(SendMessageW(list, LB_GETITEMHEIGHT, 1, 0),
              2 * SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ(GetWindowLongPtrW(list, GWL_STYLE) & WS_HSCROLL, 0);
}

TEST_F(Win32TransferDlg, OtherAsksForADevicePathThatThePortListThenShows) {
    CWin32Prompter windows;
    CTransferDlg dialog(windows, context);
    ASSERT_TRUE(dialog.Create(nullptr, doc, ETransferMode::Upload));
    std::wstring initial;
    CWin32User::Run([&] { CWin32User::Choose(dialog.GetSafeHwnd(), IDC_PORT, L"Other"); },
                    [&](CWin32User& user) {
                        HWND ask = user.WaitForWindow(L"Other port");
                        initial = CWin32User::Text(GetDlgItem(ask, IDC_TEXT_EDIT));
                        SetWindowTextW(GetDlgItem(ask, IDC_TEXT_EDIT), L"\\\\.\\COM5");
                        CWin32User::Click(ask, IDOK);
                    });
    EXPECT_EQ(initial, L"\\\\.\\") << "the device folder, to type the name after";
    HWND port = dialog.GetDlgItem(IDC_PORT);
    const auto row = static_cast<std::size_t>(SendMessageW(port, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(CWin32User::Rows(port).at(row).rfind(L"\\\\.\\COM5 ", 0), 0u);
    EXPECT_EQ(CTransferSettings::Load(context.Profile(), context.Ports()).m_port.DevicePath(),
              "\\\\.\\COM5");
}

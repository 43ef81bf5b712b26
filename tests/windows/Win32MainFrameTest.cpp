// The main window of tovrik.exe on a display of 1024 x 768 pixels: its place,
// title, menu, shortcuts, bars and prompts, and what it hands on to the
// application.

#include "gui-win32/CMainFrame.h"
#include "gui-win32/IAppCommands.h"
#include "gui-win32/resource.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

class CRecordingCommands : public IAppCommands {
public:
    void OnCommand(unsigned nID) override { m_commands.push_back(nID); }
    void OnDropFiles(const std::vector<std::string>& paths) override { m_dropped = paths; }
    bool CanClose() override { return m_bCanClose; }

    std::vector<unsigned> m_commands;
    std::vector<std::string> m_dropped;
    bool m_bCanClose = false;
};

class Win32MainFrame : public ::testing::Test {
protected:
    void SetUp() override {
        const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        ASSERT_TRUE(frame.Create());
        hWnd = frame.GetSafeHwnd();
        ShowWindow(hWnd, SW_SHOWNOACTIVATE);
    }
    UINT MenuState(unsigned nID) const { return GetMenuState(GetMenu(hWnd), nID, MF_BYCOMMAND); }
    std::wstring Message() const { return frame.GetStatusBar().GetPaneText(0); }

    CMainFrame frame;
    HWND hWnd = nullptr;
};

std::wstring MenuText(HMENU menu, int nPosition) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(nPosition), text, 128, MF_BYPOSITION);
    return text;
}

RECT WindowRect(HWND hWnd) {
    RECT rect = {};
    GetWindowRect(hWnd, &rect);
    return rect;
}

// A drop of these files, as the shell hands it over.
HDROP DropOf(const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const std::wstring& path : paths) {
        list += path + L'\0';
    }
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

const unsigned kAppCommands[] = {
    ID_FILE_NEW,    ID_FILE_OPEN,         ID_FILE_SAVE,           ID_FILE_SAVE_AS, ID_FILE_DOWNLOAD,
    ID_FILE_UPLOAD, ID_FILE_COMPARE_FILE, ID_FILE_COMPARE_DEVICE, ID_APP_ABOUT,    ID_APP_EXIT};

}  // namespace

TEST(Win32MainFrameRect, HalfTheScreenCentredEveryStepAnIntegerDivision) {
    struct Case {
        int cx, cy;
        RECT expected;
    };
    for (const Case& c :
         {Case{1024, 768, {256, 192, 768, 576}}, Case{1366, 768, {341, 192, 1024, 576}},
          Case{1023, 767, {255, 191, 766, 574}}}) {
        const RECT rect = CMainFrame::FrameRect(c.cx, c.cy);
        EXPECT_EQ(rect.left, c.expected.left) << c.cx;
        EXPECT_EQ(rect.top, c.expected.top) << c.cy;
        EXPECT_EQ(rect.right, c.expected.right) << c.cx;
        EXPECT_EQ(rect.bottom, c.expected.bottom) << c.cy;
    }
}

TEST_F(Win32MainFrame, OpensOnHalfTheScreenTitledTovrikNeitherSizableNorMaximisable) {
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024) << "the harness's display";
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    const RECT rect = WindowRect(hWnd);
    EXPECT_EQ(rect.left, 256);
    EXPECT_EQ(rect.top, 192);
    EXPECT_EQ(rect.right - rect.left, 512);
    EXPECT_EQ(rect.bottom - rect.top, 384);
    wchar_t title[64] = {};
    GetWindowTextW(hWnd, title, 64);
    EXPECT_STREQ(title, L"Tovrik");
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hWnd, GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0u);
}

TEST_F(Win32MainFrame, MenuShortcutsAndToolbarCarryTheirTextsAndCommands) {
    struct Item {
        int nPopup;
        int nPosition;
        const wchar_t* pszText;
        unsigned nID;  // 0: a separator
    };
    const Item items[] = {
        {0, 0, L"&New\tCtrl+N", ID_FILE_NEW},
        {0, 1, L"&Open...\tCtrl+O", ID_FILE_OPEN},
        {0, 2, L"&Save\tCtrl+S", ID_FILE_SAVE},
        {0, 3, L"Save &As...", ID_FILE_SAVE_AS},
        {0, 4, L"", 0},
        {0, 5, L"Download", ID_FILE_DOWNLOAD},
        {0, 6, L"Upload", ID_FILE_UPLOAD},
        {0, 7, L"Compare with &File...", ID_FILE_COMPARE_FILE},
        {0, 8, L"Compare with &Device...", ID_FILE_COMPARE_DEVICE},
        {0, 9, L"", 0},
        {0, 10, L"E&xit", ID_APP_EXIT},
        {1, 0, L"&Toolbar", ID_VIEW_TOOLBAR},
        {1, 1, L"&Status Bar", ID_VIEW_STATUS_BAR},
        {2, 0, L"&About Tovrik...", ID_APP_ABOUT},
    };
    HMENU menu = GetMenu(hWnd);
    ASSERT_EQ(GetMenuItemCount(menu), 3);
    EXPECT_EQ(MenuText(menu, 0), L"&File");
    EXPECT_EQ(MenuText(menu, 1), L"&View");
    EXPECT_EQ(MenuText(menu, 2), L"&Help");
    const int counts[] = {11, 2, 1};
    for (int popup = 0; popup < 3; ++popup) {
        EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, popup)), counts[popup]);
    }
    for (const Item& item : items) {
        HMENU popup = GetSubMenu(menu, item.nPopup);
        EXPECT_EQ(MenuText(popup, item.nPosition), item.pszText);
        EXPECT_EQ(GetMenuItemID(popup, item.nPosition), item.nID);
    }

    HACCEL accel = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ACCEL keys[8] = {};
    ASSERT_EQ(CopyAcceleratorTableW(accel, keys, 8), 3);
    const ACCEL expected[] = {{FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},
                              {FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN},
                              {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(keys[i].fVirt & ~0x80, expected[i].fVirt) << i;  // 0x80: the table's last entry
        EXPECT_EQ(keys[i].key, expected[i].key) << i;
        EXPECT_EQ(keys[i].cmd, expected[i].cmd) << i;
    }

    const std::vector<unsigned> buttons = {ID_FILE_NEW,  ID_FILE_OPEN,     ID_FILE_SAVE,  0,
                                           ID_APP_ABOUT, ID_FILE_DOWNLOAD, ID_FILE_UPLOAD};
    EXPECT_EQ(frame.GetToolBar().GetItems(), buttons);
    EXPECT_EQ(SendMessageW(frame.GetToolBar().GetSafeHwnd(), TB_BUTTONCOUNT, 0, 0), 7);
}

TEST_F(Win32MainFrame, ViewItemsShowAndHideTheirBarsWithTheirCheckMarks) {
    struct Case {
        unsigned nID;
        HWND hWndBar;
    };
    RECT view = WindowRect(frame.GetView());
    const RECT before = view;
    for (const Case& c : {Case{ID_VIEW_TOOLBAR, frame.GetToolBar().GetSafeHwnd()},
                          Case{ID_VIEW_STATUS_BAR, frame.GetStatusBar().GetSafeHwnd()}}) {
        EXPECT_TRUE(MenuState(c.nID) & MF_CHECKED);
        SendMessageW(hWnd, WM_COMMAND, c.nID, 0);
        EXPECT_FALSE(IsWindowVisible(c.hWndBar)) << c.nID;
        EXPECT_FALSE(MenuState(c.nID) & MF_CHECKED) << c.nID;
        // The view takes the bar's place.
        const RECT grown = WindowRect(frame.GetView());
        EXPECT_GT(grown.bottom - grown.top, view.bottom - view.top) << c.nID;
        view = grown;
    }
    for (unsigned nID : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        SendMessageW(hWnd, WM_COMMAND, nID, 0);
        EXPECT_TRUE(MenuState(nID) & MF_CHECKED) << nID;
    }
    EXPECT_TRUE(IsWindowVisible(frame.GetToolBar().GetSafeHwnd()));
    EXPECT_TRUE(IsWindowVisible(frame.GetStatusBar().GetSafeHwnd()));
    const RECT after = WindowRect(frame.GetView());
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(after.bottom, before.bottom);
}

TEST_F(Win32MainFrame, StatusBarShowsReadyThePromptsAndTheToolbarsTooltips) {
    EXPECT_EQ(Message(), L"Ready");
    struct Case {
        unsigned nItem;
        UINT nFlags;
        const wchar_t* pszPrompt;
    };
    HMENU menu = GetMenu(hWnd);
    for (const Case& c :
         {Case{ID_FILE_UPLOAD, MF_STRING, L"Upload configuration data"},
          Case{ID_FILE_COMPARE_DEVICE, MF_STRING,
               L"Read the device's configuration and compare it with the one in memory"},
          Case{ID_APP_EXIT, MF_STRING, L"Quit the application; prompts to save documents"},
          Case{SC_CLOSE, MF_SYSMENU, L"Close the active window and prompts to save the documents"},
          Case{SC_MINIMIZE, MF_SYSMENU, L"Reduce the window to an icon"},
          Case{SC_RESTORE, MF_SYSMENU, L"Restore the window to normal size"}}) {
        SendMessageW(hWnd, WM_MENUSELECT, MAKEWPARAM(c.nItem, c.nFlags),
                     reinterpret_cast<LPARAM>(menu));
        EXPECT_EQ(Message(), c.pszPrompt);
    }
    SendMessageW(hWnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(Message(), L"Ready") << "once the menu closes";

    NMTTDISPINFOW tip = {};
    tip.hdr.hwndFrom = hWnd;
    tip.hdr.idFrom = ID_FILE_UPLOAD;
    tip.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    ASSERT_NE(tip.lpszText, nullptr);
    EXPECT_STREQ(tip.lpszText, L"Upload");
}

TEST_F(Win32MainFrame, CommandsDropsAndClosingGoToTheApplication) {
    HWND toolBar = frame.GetToolBar().GetSafeHwnd();
    const std::vector<unsigned>& buttons = frame.GetToolBar().GetItems();
    const auto hasButton = [&](unsigned nID) {
        return std::find(buttons.begin(), buttons.end(), nID) != buttons.end();
    };
    const auto enabled = [&](unsigned nID) {
        return !hasButton(nID) || SendMessageW(toolBar, TB_ISBUTTONENABLED, nID, 0) != 0;
    };
    for (unsigned nID : kAppCommands) {
        EXPECT_TRUE(MenuState(nID) & MF_GRAYED) << "no application yet: " << nID;
        EXPECT_TRUE(!hasButton(nID) || !enabled(nID)) << nID;
    }
    CRecordingCommands app;
    frame.SetAppCommands(&app);
    for (unsigned nID : kAppCommands) {
        EXPECT_FALSE(MenuState(nID) & MF_GRAYED) << nID;
        EXPECT_TRUE(enabled(nID)) << nID;
        SendMessageW(hWnd, WM_COMMAND, nID, 0);
    }
    SendMessageW(hWnd, WM_COMMAND, ID_VIEW_TOOLBAR, 0);  // the frame's own
    EXPECT_EQ(app.m_commands,
              std::vector<unsigned>(std::begin(kAppCommands), std::end(kAppCommands)));

    SendMessageW(hWnd, WM_DROPFILES,
                 reinterpret_cast<WPARAM>(DropOf({L"C:\\conf\\a b.s19", L"C:\\Ä€\\back-up.s19"})),
                 0);
    EXPECT_EQ(app.m_dropped, (std::vector<std::string>{"C:\\conf\\a b.s19",
                                                       "C:\\\xC3\x84\xE2\x82\xAC\\back-up.s19"}));

    SendMessageW(hWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(hWnd)) << "the application said no";
    app.m_bCanClose = true;
    SendMessageW(hWnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(frame.GetSafeHwnd(), nullptr);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

// tovrik.exe itself (TOVRIK_GUI_EXE): its window, and its end when it closes.
TEST(Win32Program, OpensAWindowTitledTovrikAndEndsWhenItCloses) {
    const wchar_t* program = _wgetenv(L"TOVRIK_GUI_EXE");
    ASSERT_NE(program, nullptr);
    std::wstring commandLine = L"\"" + std::wstring(program) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    HWND window = nullptr;
    for (int i = 0; i < 200 && (window == nullptr || !IsWindowVisible(window)); ++i) {
        Sleep(50);
        window = FindWindowW(L"CMainFrame", L"Tovrik");
    }
    ASSERT_NE(window, nullptr) << "no window titled Tovrik";
    EXPECT_TRUE(IsWindowVisible(window));
    const RECT rect = WindowRect(window);
    EXPECT_EQ(rect.left, 256);
    EXPECT_EQ(rect.top, 192);
    PostMessageW(window, WM_COMMAND, ID_APP_EXIT, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    EXPECT_EQ(status, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

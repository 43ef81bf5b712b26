// What tovrik.exe asks the user through Windows' own message boxes and file
// dialogs, played by a user on another thread.

#include "CWin32User.h"
#include "gui-win32/CWin32Prompter.h"
#include "gui-win32/resource.h"
#include "tests/support/CTempDir.h"

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The buttons of a box, left to right, and the default one.
std::vector<std::wstring> ButtonsOf(HWND box, HWND& hWndDefault) {
    std::vector<std::pair<LONG, std::wstring>> buttons;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        RECT rect = {};
        GetWindowRect(child, &rect);
        if (std::wstring(name) == L"Button" && IsWindowVisible(child)) {
            buttons.emplace_back(rect.left, CWin32User::Text(child));
            if ((GetWindowLongPtrW(child, GWL_STYLE) & BS_DEFPUSHBUTTON) != 0) {
                hWndDefault = child;
            }
        }
    }
    std::sort(buttons.begin(), buttons.end());
    std::vector<std::wstring> texts;
    for (const auto& button : buttons) {
        texts.push_back(button.second);
    }
    return texts;
}

// A path as the file dialogs give it.
std::string Native(const std::string& path) {
    return std::filesystem::path(path).make_preferred().string();
}

}  // namespace

TEST(Win32Prompter, BoxesHaveTheirButtonsAndDefaultAndEscNeverTakesTheRiskyWay) {
    struct Case {
        EBoxButtons eButtons;
        EAnswer eDefault;
        std::vector<std::wstring> buttons;
        int nDefaultID;
        EAnswer eOnEsc;
    };
    const Case cases[] = {
        {EBoxButtons::Ok, EAnswer::Ok, {L"OK"}, IDOK, EAnswer::Ok},
        {EBoxButtons::YesNo, EAnswer::No, {L"&Yes", L"&No"}, IDNO, EAnswer::No},
        {EBoxButtons::YesNo, EAnswer::Yes, {L"&Yes", L"&No"}, IDYES, EAnswer::Yes},
        {EBoxButtons::SaveDiscardCancel,
         EAnswer::Save,
         {L"&Save", L"&Discard", L"Cancel"},
         IDYES,
         EAnswer::Cancel},
    };
    for (const Case& c : cases) {
        CWin32Prompter prompter;
        const CMessageBox box{EBoxIcon::Question, "Tovrik question", "Save changes to Untitled?",
                              c.eButtons, c.eDefault};
        EAnswer answer = EAnswer::Ok;
        std::vector<std::wstring> buttons;
        int nDefaultID = 0;
        bool bClosedByEsc = false;
        CWin32User::Run([&] { answer = prompter.Show(box); },
                        [&](CWin32User& user) {
                            HWND hBox = user.WaitForWindow(L"Tovrik question");
                            HWND hWndDefault = nullptr;
                            buttons = ButtonsOf(hBox, hWndDefault);
                            nDefaultID = GetDlgCtrlID(hWndDefault);
                            // Esc, pressed on the default button, which has the focus.
                            PostMessageW(hWndDefault, WM_KEYDOWN, VK_ESCAPE, 0);
                            bClosedByEsc =
                                CWin32User::WaitUntil([&] { return !IsWindow(hBox); }, 3000);
                        });
        const int n = static_cast<int>(&c - cases);
        EXPECT_EQ(buttons, c.buttons) << n;
        EXPECT_EQ(nDefaultID, c.nDefaultID) << n;
        EXPECT_TRUE(bClosedByEsc) << n;
        EXPECT_EQ(answer, c.eOnEsc) << n;
    }
}

TEST(Win32Prompter, FileDialogsStartInTheFolderWithTheFilterAndTheProposedName) {
    CTempDir dir;
    dir.Write("old.s19", "x");
    const std::string folder = Native(dir.Path());
    const struct {
        CFileDialog::EKind eKind;
        const wchar_t* pszCaption;
        std::string proposed;
        const wchar_t* pszShown;  // the name the dialog shows at first
        const wchar_t* pszTyped;
        std::string chosen;
    } cases[] = {
        {CFileDialog::SaveAs, L"Save As", Native(dir.File("qarn-20240102-0304.s19")),
         L"qarn-20240102-0304.s19", L"typed", Native(dir.File("typed.s19"))},
        {CFileDialog::Open, L"Open", "", L"", L"old.s19", Native(dir.File("old.s19"))},
    };
    for (const auto& c : cases) {
        CWin32Prompter prompter;
        const CFileDialog dialog{c.eKind, "Tovrik Files (*.s19)", "s19", folder, c.proposed};
        std::wstring seenFolder;
        std::wstring seenName;
        std::wstring seenFilter;
        std::string chosen;
        CWin32User::Run(
            [&] { chosen = prompter.ChooseFile(dialog); },
            [&](CWin32User& user) {
                HWND hDialog = user.WaitForWindow(c.pszCaption);
                wchar_t text[MAX_PATH] = {};
                SendMessageW(hDialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(text));
                seenFolder = text;
                SendMessageW(hDialog, CDM_GETSPEC, MAX_PATH, reinterpret_cast<LPARAM>(text));
                seenName = text;
                seenFilter = CWin32User::Text(GetDlgItem(hDialog, cmb1));
                SetWindowTextW(GetDlgItem(hDialog, cmb13), c.pszTyped);  // file name
                CWin32User::Click(hDialog, IDOK);
            });
        EXPECT_EQ(seenFolder, std::filesystem::path(folder).wstring());
        EXPECT_EQ(seenName, c.pszShown);
        EXPECT_EQ(seenFilter, L"Tovrik Files (*.s19)");
        EXPECT_EQ(chosen, c.chosen) << "Save As adds the extension";
    }
}

TEST(Win32Prompter, AReportShowsItsRowsAndCopyPutsThemOnTheClipboard) {
    CWin32Prompter prompter;
    const CReportBox report{"Compare with File",
                            {"Compared a.s19 with b.s19:", "different: 1 range", "",
                             "00000010-0000001F: 16 bytes differ, ä€"}};
    const std::wstring expected =
        L"Compared a.s19 with b.s19:\r\ndifferent: 1 range\r\n\r\n"
        L"00000010-0000001F: 16 bytes differ, ä€";
    std::wstring shown;
    std::wstring copied;
    LONG_PTR style = 0;
    bool bClosedByEsc = false;
    CWin32User::Run([&] { prompter.ShowReport(report); },
                    [&](CWin32User& user) {
                        HWND dialog = user.WaitForWindow(L"Compare with File");
                        HWND text = GetDlgItem(dialog, IDC_REPORT_TEXT);
                        shown = CWin32User::Text(text);
                        style = GetWindowLongPtrW(text, GWL_STYLE);
                        OpenClipboard(nullptr);
                        EmptyClipboard();
                        CloseClipboard();
                        CWin32User::Click(dialog, IDC_REPORT_COPY);
                        if (OpenClipboard(nullptr)) {
                            if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                                copied = static_cast<const wchar_t*>(GlobalLock(data));
                                GlobalUnlock(data);
                            }
                            CloseClipboard();
                        }
                        // Esc, pressed on OK, which has the focus.
                        PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
                        bClosedByEsc =
                            CWin32User::WaitUntil([&] { return !IsWindow(dialog); }, 3000);
                    });
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(copied, expected);
    EXPECT_EQ(style & (ES_READONLY | WS_VSCROLL | WS_HSCROLL),
              ES_READONLY | WS_VSCROLL | WS_HSCROLL);
    EXPECT_TRUE(bClosedByEsc);
}

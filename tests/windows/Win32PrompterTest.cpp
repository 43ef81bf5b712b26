// What tovrik.exe asks the user through Windows' own message boxes and file
// dialogs, played by a user on another thread.

#include "CWin32User.h"
#include "gui-win32/CWin32Prompter.h"
#include "support/CTempDir.h"

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
        CMessageBox box;
        box.eIcon = EBoxIcon::Question;
        box.strCaption = "Tovrik question";
        box.strText = "Save changes to Untitled?";
        box.eButtons = c.eButtons;
        box.eDefault = c.eDefault;
        EAnswer answer = EAnswer::Ok;
        std::vector<std::wstring> buttons;
        int nDefaultID = 0;
        bool bClosedByEsc = false;
        CWin32User::Run([&] { answer = prompter.Show(box); },
                        [&](CWin32User& user) {
                            HWND hBox = user.WaitForWindow(L"Tovrik question");
                            ASSERT_NE(hBox, nullptr);
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
    CWin32Prompter prompter;
    CFileDialog dialog;
    dialog.eKind = CFileDialog::SaveAs;
    dialog.strFilter = "Tovrik Files (*.s19)";
    dialog.strExtension = "s19";
    dialog.strFolder = Native(dir.Path());
    dialog.strProposed = Native(dir.File("qarn-20240102-0304.s19"));
    struct Seen {
        std::wstring folder, name, filter;
    } seen;
    // What the user sees, then the name the user types.
    const auto look = [&seen](HWND hDialog, const wchar_t* typed) {
        wchar_t text[MAX_PATH] = {};
        SendMessageW(hDialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(text));
        seen.folder = text;
        SendMessageW(hDialog, CDM_GETSPEC, MAX_PATH, reinterpret_cast<LPARAM>(text));
        seen.name = text;
        seen.filter = CWin32User::Text(GetDlgItem(hDialog, cmb1));
        HWND name = GetDlgItem(hDialog, cmb13);  // the file name, or in older layouts:
        SetWindowTextW(name != nullptr ? name : GetDlgItem(hDialog, edt1), typed);
        CWin32User::Click(hDialog, IDOK);
    };
    std::string chosen;
    CWin32User::Run([&] { chosen = prompter.ChooseFile(dialog); },
                    [&](CWin32User& user) {
                        HWND hDialog = user.WaitForWindow(L"Save As");
                        ASSERT_NE(hDialog, nullptr);
                        look(hDialog, L"typed");
                    });
    const std::wstring folder = std::filesystem::path(dialog.strFolder).wstring();
    EXPECT_EQ(seen.folder, folder);
    EXPECT_EQ(seen.name, L"qarn-20240102-0304.s19");
    EXPECT_EQ(seen.filter, L"Tovrik Files (*.s19)");
    EXPECT_EQ(chosen, Native(dir.File("typed.s19"))) << "the extension is added";

    dialog.eKind = CFileDialog::Open;
    dialog.strProposed.clear();
    CWin32User::Run([&] { chosen = prompter.ChooseFile(dialog); },
                    [&](CWin32User& user) {
                        HWND hDialog = user.WaitForWindow(L"Open");
                        ASSERT_NE(hDialog, nullptr);
                        look(hDialog, L"old.s19");
                    });
    EXPECT_EQ(seen.folder, folder);
    EXPECT_EQ(seen.filter, L"Tovrik Files (*.s19)");
    EXPECT_EQ(chosen, Native(dir.File("old.s19")));
}

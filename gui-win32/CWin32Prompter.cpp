#include "CWin32Prompter.h"

#include "CDisplayText.h"
#include "CReportDlg.h"
#include "CTextInputDlg.h"
#include "platform/common/Win32Text.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Long paths, \\?\ included.
constexpr std::size_t kMaxPath = 32768;
constexpr wchar_t kBoxProperty[] = L"Tovrik.MessageBox";

struct CBoxButton {
    EAnswer eAnswer;
    int nID;                 // what MessageBoxW returns for it
    const wchar_t* pszText;  // null: the system's own text
};

// A box's buttons, left to right.
std::vector<CBoxButton> ButtonsOf(EBoxButtons buttons) {
    switch (buttons) {
        case EBoxButtons::YesNo:
            return {{EAnswer::Yes, IDYES, nullptr}, {EAnswer::No, IDNO, nullptr}};
        case EBoxButtons::SaveDiscardCancel:
            return {{EAnswer::Save, IDYES, CWin32Prompter::kSaveText},
                    {EAnswer::Discard, IDNO, CWin32Prompter::kDiscardText},
                    {EAnswer::Cancel, IDCANCEL, nullptr}};
        case EBoxButtons::Ok:
            break;
    }
    return {{EAnswer::Ok, IDOK, nullptr}};
}

UINT StyleOf(const CMessageBox& box) {
    UINT style = box.eButtons == EBoxButtons::YesNo               ? MB_YESNO
                 : box.eButtons == EBoxButtons::SaveDiscardCancel ? MB_YESNOCANCEL
                                                                  : MB_OK;
    switch (box.eIcon) {
        case EBoxIcon::Information:
            style |= MB_ICONINFORMATION;
            break;
        case EBoxIcon::Warning:
            style |= MB_ICONWARNING;
            break;
        case EBoxIcon::Question:
            style |= MB_ICONQUESTION;
            break;
        case EBoxIcon::None:
            break;
    }
    return style;
}

// MessageBoxW words its buttons itself and lets Esc cancel only a box that
// has a Cancel button. The box being made on this thread is taken over as it
// is created: its buttons are worded, and Esc gives the escape answer.
struct CBoxHook {
    HHOOK hHook = nullptr;
    HWND hWndBox = nullptr;
    WNDPROC pfnBoxProc = nullptr;
    const std::vector<CBoxButton>* pButtons = nullptr;
    int nEscapeID = IDCANCEL;
};
thread_local CBoxHook* t_pHook = nullptr;

LRESULT CALLBACK BoxProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    const auto& hook = *static_cast<const CBoxHook*>(GetPropW(hWnd, kBoxProperty));
    const WNDPROC pfnBoxProc = hook.pfnBoxProc;
    if (nMsg == WM_COMMAND && LOWORD(wParam) == IDCANCEL && hook.nEscapeID != IDCANCEL) {
        wParam = MAKEWPARAM(hook.nEscapeID, BN_CLICKED);
        lParam = reinterpret_cast<LPARAM>(GetDlgItem(hWnd, hook.nEscapeID));
    } else if (nMsg == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnBoxProc));
        RemovePropW(hWnd, kBoxProperty);
    }
    const LRESULT result = CallWindowProcW(pfnBoxProc, hWnd, nMsg, wParam, lParam);
    if (nMsg == WM_INITDIALOG) {
        for (const CBoxButton& button : *hook.pButtons) {
            if (button.pszText != nullptr) {
                SetDlgItemTextW(hWnd, button.nID, button.pszText);
            }
        }
    }
    return result;
}

LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HCBT_CREATEWND && t_pHook != nullptr && t_pHook->hWndBox == nullptr) {
        auto* hWnd = reinterpret_cast<HWND>(wParam);
        wchar_t name[16] = {};
        GetClassNameW(hWnd, name, 16);
        if (std::wstring(name) == L"#32770") {
            t_pHook->hWndBox = hWnd;
            SetPropW(hWnd, kBoxProperty, t_pHook);
            t_pHook->pfnBoxProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BoxProc)));
        }
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

}  // namespace

HWND CWin32Prompter::Owner() const {
    const DWORD thread = GetCurrentThreadId();
    for (HWND hWnd = GetTopWindow(nullptr); hWnd != nullptr; hWnd = GetWindow(hWnd, GW_HWNDNEXT)) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(hWnd, GWL_STYLE));
        if (GetWindowThreadProcessId(hWnd, nullptr) == thread && IsWindowVisible(hWnd) &&
            IsWindowEnabled(hWnd) && (style & WS_CAPTION) == WS_CAPTION) {
            return hWnd;
        }
    }
    return m_hWndMain;
}

EAnswer CWin32Prompter::Show(const CMessageBox& box) {
    const std::vector<CBoxButton> buttons = ButtonsOf(box.eButtons);
    const auto found = std::find_if(buttons.begin(), buttons.end(),
                                    [&](const CBoxButton& b) { return b.eAnswer == box.eDefault; });
    const CBoxButton& byDefault = found != buttons.end() ? *found : buttons.front();
    const auto nDefault = static_cast<UINT>(&byDefault - buttons.data());
    const int nEscapeID = box.eButtons == EBoxButtons::SaveDiscardCancel ? IDCANCEL : byDefault.nID;

    HWND owner = Owner();
    UINT style = StyleOf(box) | nDefault * MB_DEFBUTTON2;
    if (owner == nullptr) {
        style |= MB_TASKMODAL;
    }
    CBoxHook hook;
    hook.pButtons = &buttons;
    hook.nEscapeID = nEscapeID;
    CBoxHook* previous = t_pHook;  // a box may be asked for while another is up
    t_pHook = &hook;
    hook.hHook = SetWindowsHookExW(WH_CBT, &CbtProc, nullptr, GetCurrentThreadId());
    const int nPressed = MessageBoxW(owner, CDisplayText::Widen(box.strText).c_str(),
                                     CDisplayText::Widen(box.strCaption).c_str(), style);
    if (hook.hHook != nullptr) {
        UnhookWindowsHookEx(hook.hHook);
    }
    t_pHook = previous;
    for (const CBoxButton& button : buttons) {
        if (button.nID == nPressed) {
            return button.eAnswer;
        }
    }
    // No box could be shown: the way the user takes with Esc.
    return box.eButtons == EBoxButtons::SaveDiscardCancel ? EAnswer::Cancel : byDefault.eAnswer;
}

std::string CWin32Prompter::ChooseFile(const CFileDialog& dialog) {
    const bool bOpen = dialog.eKind == CFileDialog::Open;
    const std::wstring extension = Win32Text::Widen(dialog.strExtension);
    // The filter's name and its pattern, each ending in a null, then an empty
    // entry.
    std::wstring filter = Win32Text::Widen(dialog.strFilter);
    filter += L'\0';
    filter += L"*." + extension;
    filter += L'\0';
    const std::wstring folder = Win32Text::Widen(dialog.strFolder);
    // A proposed path also names the folder the dialog starts in.
    std::wstring file = Win32Text::Widen(dialog.strProposed);
    file.resize(kMaxPath, L'\0');

    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Owner();
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    // The dialog adds the extension itself, so that its question before
    // replacing a file names the file that is really written.
    ofn.lpstrDefExt = extension.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                (bOpen ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);
    if (bOpen ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn)) {
        return Win32Text::Narrow(file.c_str());
    }
    if (const DWORD error = CommDlgExtendedError(); error != 0) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%lX", static_cast<unsigned long>(error));
        Show(CMessageBox::Tell(
            EBoxIcon::Warning, "Tovrik",
            std::string("The file dialog could not be shown (error ") + code + ")."));
    }
    return {};
}

std::string CWin32Prompter::AskText(const std::string& caption, const std::string& label,
                                    const std::string& initial) {
    CTextInputDlg dialog(CDisplayText::Widen(caption), CDisplayText::Widen(label),
                         CDisplayText::Widen(initial));
    return dialog.DoModal(Owner()) == IDOK ? Win32Text::Narrow(dialog.GetText()) : std::string();
}

void CWin32Prompter::ShowReport(const CReportBox& report) {
    std::vector<std::wstring> lines;
    lines.reserve(report.lines.size());
    for (const std::string& line : report.lines) {
        lines.push_back(CDisplayText::Widen(line));
    }
    CReportDlg dialog(CDisplayText::Widen(report.strCaption), lines);
    dialog.DoModal(Owner());
}

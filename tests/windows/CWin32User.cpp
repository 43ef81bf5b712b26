#include "CWin32User.h"

#include <atomic>
#include <thread>

void CWin32User::Run(const std::function<void()>& modal,
                     const std::function<void(CWin32User&)>& user) {
    CWin32User player(GetCurrentThreadId());
    std::atomic<bool> bModalDone{false};
    std::atomic<bool> bUserDone{false};
    std::thread thread([&] {
        user(player);
        while (!bModalDone) {
            for (HWND hWnd : player.Windows()) {
                PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
            }
            Sleep(100);
        }
        bUserDone = true;
    });
    modal();
    bModalDone = true;
    // The user still reads this thread's windows, through their messages.
    while (!bUserDone) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    }
    thread.join();
}

std::vector<HWND> CWin32User::Windows() const {
    std::vector<HWND> windows;
    EnumThreadWindows(
        m_nThreadId,
        [](HWND hWnd, LPARAM lParam) {
            if (IsWindowVisible(hWnd) && IsWindowEnabled(hWnd)) {
                reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND CWin32User::WaitForWindow(const std::wstring& caption, int timeoutMs) const {
    HWND found = nullptr;
    // Shown once it is made and filled.
    WaitUntil([&] { return IsWindowVisible(found = FindWindowW(nullptr, caption.c_str())); },
              timeoutMs);
    return IsWindowVisible(found) ? found : nullptr;
}

bool CWin32User::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    for (const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs); !done();) {
        if (GetTickCount64() > end) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

std::wstring CWin32User::Text(HWND hWnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::vector<std::wstring> CWin32User::Rows(HWND list) {
    wchar_t name[16] = {};
    GetClassNameW(list, name, 16);
    const bool bCombo = std::wstring(name) == L"ComboBox";
    std::vector<std::wstring> rows(
        static_cast<std::size_t>(SendMessageW(list, bCombo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0)));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const LRESULT length = SendMessageW(list, bCombo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0);
        rows[i].resize(static_cast<std::size_t>(length) + 1);
        rows[i].resize(
            static_cast<std::size_t>(SendMessageW(list, bCombo ? CB_GETLBTEXT : LB_GETTEXT, i,
                                                  reinterpret_cast<LPARAM>(rows[i].data()))));
    }
    return rows;
}

bool CWin32User::Choose(HWND dialog, int nID, const std::wstring& part) {
    HWND list = GetDlgItem(dialog, nID);
    // The list opens first, and may be made anew as it does.
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(nID, CBN_DROPDOWN), reinterpret_cast<LPARAM>(list));
    const std::vector<std::wstring> rows = Rows(list);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].find(part) != std::wstring::npos) {
            SendMessageW(list, CB_SETCURSEL, i, 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(nID, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(list));
            return true;
        }
    }
    return false;
}

void CWin32User::Click(HWND dialog, int nID) {
    SendMessageW(GetDlgItem(dialog, nID), BM_CLICK, 0, 0);
}

#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Plays the user of modal windows: a thread that drives the interface thread's
// windows through their messages while that thread runs their modal loop.
class CWin32User {
public:
    // Runs `modal` here and `user` on the user's thread; what the user leaves
    // open is cancelled, so that a failing test ends instead of hanging.
    static void Run(const std::function<void()>& modal,
                    const std::function<void(CWin32User&)>& user);

    // The window titled `caption`, once shown; null after `timeoutMs`.
    HWND WaitForWindow(const std::wstring& caption, int timeoutMs = 10000) const;
    // Until `done` holds or `timeoutMs` have passed; false then.
    static bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);

    static std::wstring Text(HWND hWnd);
    // The rows of a list box or combo box.
    static std::vector<std::wstring> Rows(HWND list);
    // Opens a combo box's list and selects its first row that holds `part`,
    // as a click in the list does; false when no row does.
    static bool Choose(HWND dialog, int nID, const std::wstring& part);
    static void Click(HWND dialog, int nID);

private:
    explicit CWin32User(DWORD nThreadId) : m_nThreadId(nThreadId) {}
    std::vector<HWND> Windows() const;

    DWORD m_nThreadId;
};

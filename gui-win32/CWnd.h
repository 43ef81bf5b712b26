#pragma once

#include <windows.h>

// A window of a class of this program's own whose object handles its
// messages: the object comes with CreateWindowExW's last parameter (as a
// CWnd*) and is kept in the window's user data from WM_NCCREATE on.
class CWnd {
public:
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }

protected:
    CWnd() = default;
    // The window procedure of every such class.
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) = 0;

    HWND m_hWnd = nullptr;
};

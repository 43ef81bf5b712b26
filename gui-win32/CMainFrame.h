#pragma once

#include "CFixedFont.h"
#include "CStatusBar.h"
#include "CStripWnd.h"
#include "CToolBar.h"
#include "CWnd.h"

#include <shellapi.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

class IAppCommands;

// The main window: menu, keyboard shortcuts, toolbar, status bar and between
// them the view, which shows the summary of the configuration held, above the
// strip of its address range. It carries out View itself and hands every other
// command, the dropped files and the question whether it may close to the
// application (IAppCommands); until one is attached, the commands that need it
// are disabled and no files are taken.
class CMainFrame : public CWnd {
public:
    // A caption, a system menu, a minimise button and a thin border: the
    // window can be moved and minimised, neither resized nor maximised.
    static constexpr DWORD kFrameStyle =
        WS_OVERLAPPED | WS_CAPTION | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

    // Half the screen's width and height, standing at a quarter of each from
    // its top left corner; every step an integer division.
    static RECT FrameRect(int cxScreen, int cyScreen);

    CMainFrame() = default;
    ~CMainFrame() override;

    // Makes the window on the primary screen, hidden; false when a part of it
    // could not be made.
    bool Create();
    void SetAppCommands(IAppCommands* pCommands);

    // The keyboard shortcuts, for the message loop; true when msg was one.
    bool PreTranslateMessage(MSG& msg) const;

    const CToolBar& GetToolBar() const { return m_wndToolBar; }
    const CStatusBar& GetStatusBar() const { return m_wndStatusBar; }
    HWND GetView() const { return m_hWndView; }
    const CStripWnd& GetStrip() const { return m_wndStrip; }
    // The view's lines, one a row; a row too long for the view wraps.
    void SetSummary(const std::vector<std::string>& lines) const;
    void SetStrip(CConfigStrip strip) { m_wndStrip.SetStrip(std::move(strip)); }

private:
    static bool RegisterClasses();
    LRESULT OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    bool OnCreate();
    void OnCommand(unsigned nID);
    LRESULT OnNotify(NMHDR& header);
    void OnMenuSelect(unsigned nItem, unsigned nFlags, HMENU hMenu);
    void OnDropFiles(HDROP hDrop);
    void OnClose();
    void ToggleBar(HWND hWndBar, unsigned nID);
    void RecalcLayout();
    void EnableAppCommands();

    HWND m_hWndView = nullptr;
    HACCEL m_hAccel = nullptr;
    CFixedFont m_viewFont;
    CToolBar m_wndToolBar;
    CStatusBar m_wndStatusBar;
    CStripWnd m_wndStrip;
    IAppCommands* m_pCommands = nullptr;
    std::wstring m_strToolTip;  // the text a tooltip shows, kept while it shows
};

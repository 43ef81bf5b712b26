#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The status bar of the main window: a message pane that stretches, then one
// pane for each lock indicator, which shows its text (from the string table)
// while its lock is on.
class CStatusBar {
public:
    bool Create(HWND hWndParent, unsigned nIDWindow);
    HWND GetSafeHwnd() const { return m_hWnd; }

    void SetMessage(const std::wstring& text) const;
    std::wstring GetPaneText(int nPane) const;
    // Lays the panes out again for the bar's width; after the frame's size
    // changed.
    void RecalcLayout() const;
    // Shows or clears each lock indicator from the keyboard's state.
    void UpdateIndicators() const;

private:
    struct CIndicator {
        unsigned nID;  // its string
        int nVirtualKey;
        int cxWidth;
    };

    HWND m_hWnd = nullptr;
    std::vector<CIndicator> m_indicators;
};

#pragma once

#include "CWnd.h"
#include "app/CConfigStrip.h"

#include <windows.h>
// after windows.h, whose types it uses
#include <commctrl.h>

#include <optional>
#include <string>

// The strip below the main window's summary: the configuration's address range
// as a bar of coloured marks, with their legend and the range it spans below
// it. Pointing at the bar names the topmost mark there in a tooltip.
class CStripWnd : public CWnd {
public:
    // False when the window or its tooltip could not be made.
    bool Create(HWND hWndParent, unsigned nIDWindow);
    HWND GetToolTip() const { return m_hWndTip; }
    // The height the bar, the legend and their margins take.
    int Height() const;
    // Where the bar is drawn, in the window's client coordinates.
    RECT BarRect() const;

    // Draws this strip from now on.
    void SetStrip(CConfigStrip strip);
    // What the tooltip names, "" while it is hidden.
    const std::wstring& GetTip() const { return m_strTip; }

private:
    static bool RegisterClass();
    LRESULT OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    void OnPaint() const;
    void DrawBar(HDC dc, const RECT& bar) const;
    void DrawLegend(HDC dc, RECT row) const;
    void OnMouseMove(POINT point);
    // Shows `tip` by the pointer at `point`, or hides the tooltip when "".
    void ShowTip(const std::wstring& tip, POINT point);
    TTTOOLINFOW Tool() const;

    HWND m_hWndTip = nullptr;
    std::optional<CConfigStrip> m_strip;
    std::wstring m_strTip;
    int m_cyText = 0;  // a line of the legend
};

#include "CStatusBar.h"

#include "CStringTable.h"
#include "resource.h"

#include <commctrl.h>

bool CStatusBar::Create(HWND hWndParent, unsigned nIDWindow) {
    m_hWnd =
        CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0,
                        0, hWndParent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nIDWindow)),
                        GetModuleHandleW(nullptr), nullptr);
    if (m_hWnd == nullptr) {
        return false;
    }
    m_indicators = {{ID_INDICATOR_CAPS, VK_CAPITAL, 0},
                    {ID_INDICATOR_NUM, VK_NUMLOCK, 0},
                    {ID_INDICATOR_SCRL, VK_SCROLL, 0}};
    // Each indicator pane is as wide as its text, with a margin either side.
    // In the bar's font, or the system's when it has none of its own.
    HDC dc = GetDC(m_hWnd);
    auto* font = reinterpret_cast<HGDIOBJ>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
    for (CIndicator& indicator : m_indicators) {
        const std::wstring text = CStringTable::Load(indicator.nID);
        SIZE size = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        indicator.cxWidth = size.cx + 2 * GetSystemMetrics(SM_CXEDGE) + 8;
    }
    if (old != nullptr) {
        SelectObject(dc, old);
    }
    ReleaseDC(m_hWnd, dc);
    RecalcLayout();
    SetMessage(CStringTable::Load(AFX_IDS_IDLEMESSAGE));
    UpdateIndicators();
    return true;
}

void CStatusBar::SetMessage(const std::wstring& text) const {
    SendMessageW(m_hWnd, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring CStatusBar::GetPaneText(int nPane) const {
    const auto length = LOWORD(SendMessageW(m_hWnd, SB_GETTEXTLENGTHW, nPane, 0));
    std::wstring text(length + 1u, L'\0');
    SendMessageW(m_hWnd, SB_GETTEXTW, nPane, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

void CStatusBar::RecalcLayout() const {
    SendMessageW(m_hWnd, WM_SIZE, 0, 0);
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    // SB_SETPARTS takes each pane's right edge.
    std::vector<int> edges(m_indicators.size() + 1);
    int right = client.right;
    for (size_t i = m_indicators.size(); i > 0; --i) {
        edges[i] = right;
        right -= m_indicators[i - 1].cxWidth;
    }
    edges[0] = right > 0 ? right : 0;
    SendMessageW(m_hWnd, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void CStatusBar::UpdateIndicators() const {
    for (size_t i = 0; i < m_indicators.size(); ++i) {
        const CIndicator& indicator = m_indicators[i];
        const bool on = (GetKeyState(indicator.nVirtualKey) & 1) != 0;
        const std::wstring text = on ? CStringTable::Load(indicator.nID) : std::wstring();
        SendMessageW(m_hWnd, SB_SETTEXTW, i + 1, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

#include "CStripWnd.h"

#include "CDisplayText.h"

#include <utility>

namespace {

constexpr wchar_t kStripClass[] = L"TovrikStrip";
constexpr int kMargin = 4;
constexpr int kBarHeight = 18;  // the bar with its frame
constexpr int kLabelGap = 4;    // between a legend's square and its label
constexpr int kLegendGap = 12;  // after a label
constexpr int kTipWidth = 400;  // a longer tip wraps
constexpr int kTipGap = 4;      // between the tooltip and the bar

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

HFONT Font() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

COLORREF ColourOf(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

}  // namespace

bool CStripWnd::RegisterClass() {
    WNDCLASSEXW strip = {};
    strip.cbSize = sizeof strip;
    // The bar is laid out across the whole width.
    strip.style = CS_HREDRAW | CS_VREDRAW;
    strip.lpfnWndProc = &CWnd::WindowProc;
    strip.hInstance = Instance();
    strip.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    strip.lpszClassName = kStripClass;
    return RegisterClassExW(&strip) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CStripWnd::Create(HWND hWndParent, unsigned nIDWindow) {
    if (!RegisterClass() ||
        CreateWindowExW(0, kStripClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hWndParent,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nIDWindow)), Instance(),
                        static_cast<CWnd*>(this)) == nullptr) {
        return false;
    }
    HDC dc = GetDC(m_hWnd);
    const HGDIOBJ old = SelectObject(dc, Font());
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
    m_cyText = metrics.tmHeight;

    m_hWndTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, m_hWnd,
                                nullptr, Instance(), nullptr);
    if (m_hWndTip == nullptr) {
        return false;
    }
    TTTOOLINFOW tool = Tool();
    tool.lpszText = m_strTip.data();
    SendMessageW(m_hWndTip, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
    return SendMessageW(m_hWndTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}

TTTOOLINFOW CStripWnd::Tool() const {
    TTTOOLINFOW tool = {};
    // The size older common controls know too: no manifest asks for newer ones.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = m_hWnd;
    tool.uId = 1;
    return tool;
}

int CStripWnd::Height() const {
    return kMargin + kBarHeight + kMargin + m_cyText + kMargin;
}

RECT CStripWnd::BarRect() const {
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    // Inside the bar's frame.
    return {kMargin + 1, kMargin + 1, client.right - kMargin - 1, kMargin + kBarHeight - 1};
}

void CStripWnd::SetStrip(CConfigStrip strip) {
    m_strip = std::move(strip);
    ShowTip({}, {});
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

LRESULT CStripWnd::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    switch (nMsg) {
        case WM_ERASEBKGND:
            return 1;  // the paint covers it all
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            return 0;
        case WM_MOUSELEAVE:
            ShowTip({}, {});
            return 0;
        case WM_DESTROY:
            if (m_hWndTip != nullptr) {
                DestroyWindow(m_hWndTip);
                m_hWndTip = nullptr;
            }
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
            m_hWnd = nullptr;
            return 0;
        default:
            break;
    }
    return DefWindowProcW(m_hWnd, nMsg, wParam, lParam);
}

void CStripWnd::OnPaint() const {
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    Fill(dc, client, GetSysColor(COLOR_BTNFACE));
    const HGDIOBJ old = SelectObject(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT bar = BarRect();
    if (!m_strip || m_strip->IsEmpty()) {
        const std::wstring empty = CDisplayText::Widen(CConfigStrip::kEmptyText);
        DrawTextW(dc, empty.c_str(), -1, &bar, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    } else {
        DrawBar(dc, bar);
        DrawLegend(dc, {bar.left, bar.bottom + 1 + kMargin, bar.right,
                        bar.bottom + 1 + kMargin + m_cyText});
    }
    SelectObject(dc, old);
    EndPaint(m_hWnd, &paint);
}

void CStripWnd::DrawBar(HDC dc, const RECT& bar) const {
    RECT frame = bar;
    InflateRect(&frame, 1, 1);
    FrameRect(dc, &frame, GetSysColorBrush(COLOR_BTNSHADOW));
    Fill(dc, bar, GetSysColor(COLOR_WINDOW));
    const int width = bar.right - bar.left;
    for (const CStripMark& mark : m_strip->Marks()) {
        const auto [left, right] = m_strip->Span(mark, width);
        Fill(dc, {bar.left + left, bar.top, bar.left + right, bar.bottom},
             ColourOf(CConfigStrip::Colour(mark.eKind)));
    }
}

void CStripWnd::DrawLegend(HDC dc, RECT row) const {
    const int side = m_cyText * 2 / 3;
    int x = row.left;
    for (const CStripLegend& entry : CConfigStrip::Legend()) {
        const int top = row.top + (m_cyText - side) / 2;
        Fill(dc, {x, top, x + side, top + side}, ColourOf(entry.nColour));
        x += side + kLabelGap;
        const std::wstring label = CDisplayText::Widen(entry.szLabel);
        TextOutW(dc, x, row.top, label.c_str(), static_cast<int>(label.size()));
        SIZE size = {};
        GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
        x += size.cx + kLegendGap;
    }
    const std::wstring range = CDisplayText::Widen(m_strip->RangeText());
    row.left = x;
    DrawTextW(dc, range.c_str(), -1, &row, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
}

void CStripWnd::OnMouseMove(POINT point) {
    const RECT bar = BarRect();
    std::wstring tip;
    if (m_strip && PtInRect(&bar, point)) {
        tip = CDisplayText::Widen(m_strip->TipAt(point.x - bar.left, bar.right - bar.left));
    }
    ShowTip(tip, point);
}

void CStripWnd::ShowTip(const std::wstring& tip, POINT point) {
    if (m_hWndTip == nullptr) {
        return;
    }
    TTTOOLINFOW tool = Tool();
    if (tip.empty()) {
        if (!m_strTip.empty()) {
            SendMessageW(m_hWndTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
            m_strTip.clear();
        }
        return;
    }
    if (tip != m_strTip) {
        m_strTip = tip;
        tool.lpszText = m_strTip.data();
        SendMessageW(m_hWndTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // Above the bar, so that it hides neither the marks nor the legend.
    const LRESULT size =
        SendMessageW(m_hWndTip, TTM_GETBUBBLESIZE, 0, reinterpret_cast<LPARAM>(&tool));
    point.y = BarRect().top - kTipGap - HIWORD(size);
    ClientToScreen(m_hWnd, &point);
    SendMessageW(m_hWndTip, TTM_TRACKPOSITION, 0, MAKELPARAM(point.x, point.y));
    SendMessageW(m_hWndTip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    // The tip goes when the pointer leaves the window.
    TRACKMOUSEEVENT leave = {sizeof leave, TME_LEAVE, m_hWnd, 0};
    TrackMouseEvent(&leave);
}

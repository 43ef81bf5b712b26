#include "CMainFrame.h"

#include "CCommandIds.h"
#include "CDisplayText.h"
#include "CStringTable.h"
#include "IAppCommands.h"
#include "platform/common/Win32Text.h"
#include "resource.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

namespace {

constexpr wchar_t kFrameClass[] = L"CMainFrame";
constexpr unsigned kViewId = 0xE900;
constexpr unsigned kStripId = 0xE901;
constexpr int kViewPoints = 9;  // the size of the view's font

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

// The bar's own state, also while the frame is hidden or minimised.
bool IsShown(HWND hWndBar) {
    return (GetWindowLongPtrW(hWndBar, GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace

RECT CMainFrame::FrameRect(int cxScreen, int cyScreen) {
    const int height = cyScreen / 2;
    const int width = cxScreen / 2;
    const int top = height / 2;
    const int left = width / 2;
    return {left, top, left + width, top + height};
}

CMainFrame::~CMainFrame() {
    if (m_hWnd != nullptr) {
        DestroyWindow(m_hWnd);
    }
    if (m_hAccel != nullptr) {
        DestroyAcceleratorTable(m_hAccel);
    }
}

bool CMainFrame::RegisterClasses() {
    WNDCLASSEXW frame = {};
    frame.cbSize = sizeof frame;
    frame.lpfnWndProc = &CWnd::WindowProc;
    frame.hInstance = Instance();
    frame.hIcon = static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    frame.hIconSm = static_cast<HICON>(LoadImageW(Instance(), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                  IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frame.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINFRAME);
    frame.lpszClassName = kFrameClass;
    // A second frame finds the class made for the first.
    return RegisterClassExW(&frame) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CMainFrame::Create() {
    if (m_hWnd != nullptr) {
        return true;
    }
    if (!RegisterClasses()) {
        return false;
    }
    const RECT rect = FrameRect(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    // The title is the first field of the document string.
    const std::wstring title = CStringTable::Field(IDR_MAINFRAME, 0);
    if (CreateWindowExW(0, kFrameClass, title.c_str(), kFrameStyle, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                        Instance(), static_cast<CWnd*>(this)) == nullptr) {
        return false;
    }
    return true;
}

void CMainFrame::SetAppCommands(IAppCommands* pCommands) {
    m_pCommands = pCommands;
    EnableAppCommands();
}

bool CMainFrame::PreTranslateMessage(MSG& msg) const {
    return m_hAccel != nullptr && TranslateAcceleratorW(m_hWnd, m_hAccel, &msg) != 0;
}

LRESULT CMainFrame::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    switch (nMsg) {
        case WM_CREATE:
            return OnCreate() ? 0 : -1;
        case WM_SIZE:
            RecalcLayout();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        case WM_MENUSELECT:
            OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_ACTIVATE:
            m_wndStatusBar.UpdateIndicators();
            break;
        case WM_CTLCOLORSTATIC:
            // The read-only view reads as a page, not as a disabled field.
            if (reinterpret_cast<HWND>(lParam) == m_hWndView) {
                SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            break;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
            m_hWnd = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(m_hWnd, nMsg, wParam, lParam);
}

bool CMainFrame::OnCreate() {
    m_hAccel = LoadAcceleratorsW(Instance(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (m_hAccel == nullptr || !m_wndToolBar.Create(m_hWnd, IDR_MAINFRAME, ID_VIEW_TOOLBAR) ||
        !m_wndStatusBar.Create(m_hWnd, ID_VIEW_STATUS_BAR)) {
        return false;
    }
    // The summary: read-only text in a fixed-width font, its rows wrapped
    // rather than scrolled sideways.
    m_hWndView = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", nullptr,
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0,
        0, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kViewId)), Instance(), nullptr);
    if (m_hWndView == nullptr || !m_wndStrip.Create(m_hWnd, kStripId)) {
        return false;
    }
    m_viewFont.Apply(m_hWndView, kViewPoints);
    EnableAppCommands();
    return true;
}

void CMainFrame::SetSummary(const std::vector<std::string>& lines) const {
    std::wstring text;
    for (const std::string& line : lines) {
        text += CDisplayText::Widen(line) + L"\r\n";
    }
    SetWindowTextW(m_hWndView, text.c_str());
}

void CMainFrame::EnableAppCommands() {
    const bool enable = m_pCommands != nullptr;
    HMENU menu = GetMenu(m_hWnd);
    for (const CCommandIds::CEntry& entry : CCommandIds::kEntries) {
        EnableMenuItem(menu, entry.nID, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
        m_wndToolBar.EnableButton(entry.nID, enable);
    }
    DragAcceptFiles(m_hWnd, enable ? TRUE : FALSE);
}

void CMainFrame::OnCommand(unsigned nID) {
    switch (nID) {
        case ID_VIEW_TOOLBAR:
            ToggleBar(m_wndToolBar.GetSafeHwnd(), nID);
            return;
        case ID_VIEW_STATUS_BAR:
            ToggleBar(m_wndStatusBar.GetSafeHwnd(), nID);
            return;
        default:
            if (CCommandIds::Find(nID) && m_pCommands != nullptr) {
                m_pCommands->OnCommand(nID);
            }
            return;
    }
}

void CMainFrame::ToggleBar(HWND hWndBar, unsigned nID) {
    const bool show = !IsShown(hWndBar);
    ShowWindow(hWndBar, show ? SW_SHOW : SW_HIDE);
    CheckMenuItem(GetMenu(m_hWnd), nID, MF_BYCOMMAND | (show ? MF_CHECKED : MF_UNCHECKED));
    RecalcLayout();
}

void CMainFrame::RecalcLayout() {
    if (m_hWndView == nullptr) {
        return;
    }
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    int top = client.top;
    int bottom = client.bottom;
    HWND toolBar = m_wndToolBar.GetSafeHwnd();
    if (IsShown(toolBar)) {
        SendMessageW(toolBar, TB_AUTOSIZE, 0, 0);
        RECT rect = {};
        GetWindowRect(toolBar, &rect);
        top += rect.bottom - rect.top;
    }
    if (IsShown(m_wndStatusBar.GetSafeHwnd())) {
        m_wndStatusBar.RecalcLayout();
        RECT rect = {};
        GetWindowRect(m_wndStatusBar.GetSafeHwnd(), &rect);
        bottom -= rect.bottom - rect.top;
    }
    // The strip keeps its height as long as there is room for it.
    const int width = client.right - client.left;
    const int stripTop = std::max(top, bottom - m_wndStrip.Height());
    MoveWindow(m_hWndView, client.left, top, width, stripTop - top, TRUE);
    MoveWindow(m_wndStrip.GetSafeHwnd(), client.left, stripTop, width,
               std::max(bottom - stripTop, 0), TRUE);
}

LRESULT CMainFrame::OnNotify(NMHDR& header) {
    if (header.code == TTN_GETDISPINFOW) {
        // The toolbar's tooltips ask by command id.
        auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
        m_strToolTip = CStringTable::ToolTip(static_cast<unsigned>(header.idFrom));
        info.lpszText = m_strToolTip.data();
        return 0;
    }
    if (header.code == TBN_HOTITEMCHANGE && header.hwndFrom == m_wndToolBar.GetSafeHwnd()) {
        // The prompt of the button under the mouse, as a menu item's.
        const auto& hot = reinterpret_cast<const NMTBHOTITEM&>(header);
        m_wndStatusBar.SetMessage((hot.dwFlags & HICF_LEAVING) != 0
                                      ? CStringTable::Load(AFX_IDS_IDLEMESSAGE)
                                      : CStringTable::Prompt(static_cast<unsigned>(hot.idNew)));
        return 0;
    }
    return 0;
}

void CMainFrame::OnMenuSelect(unsigned nItem, unsigned nFlags, HMENU hMenu) {
    if (nFlags == 0xFFFF && hMenu == nullptr) {
        m_wndStatusBar.SetMessage(CStringTable::Load(AFX_IDS_IDLEMESSAGE));  // the menu closed
    } else if ((nFlags & (MF_POPUP | MF_SEPARATOR)) != 0) {
        m_wndStatusBar.SetMessage(std::wstring());
    } else if ((nFlags & MF_SYSMENU) != 0) {
        // SC_SIZE (0xF000) and on, one string every 16 ids.
        m_wndStatusBar.SetMessage(CStringTable::Prompt(AFX_IDS_SCFIRST + (nItem - SC_SIZE) / 16));
    } else {
        m_wndStatusBar.SetMessage(CStringTable::Prompt(nItem));
    }
}

void CMainFrame::OnDropFiles(HDROP hDrop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(hDrop, i, nullptr, 0) + 1u, L'\0');
        path.resize(DragQueryFileW(hDrop, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(Win32Text::Narrow(path));
    }
    DragFinish(hDrop);
    if (m_pCommands != nullptr && !paths.empty()) {
        SetForegroundWindow(m_hWnd);
        m_pCommands->OnDropFiles(paths);
    }
}

void CMainFrame::OnClose() {
    if (m_pCommands != nullptr && !m_pCommands->CanClose()) {
        return;
    }
    DestroyWindow(m_hWnd);
}

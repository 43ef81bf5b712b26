#include "CTransferDlg.h"

#include "CDisplayText.h"
#include "app/CPortListModel.h"
#include "settings/CSystemContext.h"

#include <commctrl.h>

#include <algorithm>

namespace {

using Call = std::function<void()>;

struct CFixedChoice {
    int nID;
    int nIndex;  // in the list's own order (a sorted list's sorted order)
};

// "8", "NONE", "1" and "None".
constexpr CFixedChoice kLineFormat[] = {
    {IDC_DATABITS, 1}, {IDC_PARITY, 0}, {IDC_STOPBITS, 0}, {IDC_FLOWCONTROL, 1}};

// The open port list shows this many entries before it scrolls.
constexpr int kPortRowsShown = 8;
constexpr int kTextMargin = 2;  // pixels left of an entry's text

std::wstring TextOfItem(HWND list, UINT nGetLen, UINT nGetText, UINT index) {
    const LRESULT length = SendMessageW(list, nGetLen, index, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(
        0, SendMessageW(list, nGetText, index, reinterpret_cast<LPARAM>(text.data())))));
    return text;
}

// Draws an owner-drawn entry's background and text in the colours of its state.
void DrawEntry(const DRAWITEMSTRUCT& item, const std::wstring& text, UINT nFormat) {
    const bool bSelected = (item.itemState & ODS_SELECTED) != 0;
    const bool bDisabled = (item.itemState & ODS_DISABLED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(bSelected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(bDisabled   ? COLOR_GRAYTEXT
                                       : bSelected ? COLOR_HIGHLIGHTTEXT
                                                   : COLOR_WINDOWTEXT));
    HGDIOBJ oldFont = SelectObject(
        item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    RECT rect = item.rcItem;
    rect.left += kTextMargin;
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &rect, nFormat | DT_NOPREFIX);
    SelectObject(item.hDC, oldFont);
    if ((item.itemState & ODS_FOCUS) != 0) {
        DrawFocusRect(item.hDC, &item.rcItem);
    }
}

}  // namespace

CTransferDlg::CTransferDlg(IPrompter& prompter, CSystemContext& context)
    : CDialog(IDD_TRANSFER),
      m_port(context.Paths()),
      m_pPresenter(std::make_unique<CTransferPresenter>(*this, prompter, context, m_port)) {}

CTransferDlg::~CTransferDlg() {
    // The presenter waits for its worker, serving the worker's calls to this
    // window while it does; only then may the window go.
    m_pPresenter.reset();
    if (GetSafeHwnd() != nullptr) {
        DestroyWindow(GetSafeHwnd());
    }
}

INT_PTR CTransferDlg::DoModal(HWND hWndParent, CQARNCfgDoc& doc, ETransferMode eMode,
                              bool bCompare) {
    m_pDoc = &doc;
    m_eMode = eMode;
    m_bCompare = bCompare;
    return CDialog::DoModal(hWndParent);
}

bool CTransferDlg::Create(HWND hWndParent, CQARNCfgDoc& doc, ETransferMode eMode, bool bCompare) {
    m_pDoc = &doc;
    m_eMode = eMode;
    m_bCompare = bCompare;
    return CDialog::Create(hWndParent);
}

BOOL CTransferDlg::OnInitDialog() {
    m_nThreadId = GetCurrentThreadId();
    for (const CFixedChoice& choice : kLineFormat) {
        HWND list = GetDlgItem(choice.nID);
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(choice.nIndex), 0);
        EnableWindow(list, FALSE);
    }
    SendDlgItemMessageW(GetSafeHwnd(), IDC_PROGRESS, PBM_SETSTEP, 1, 0);
    m_pPresenter->OnInitDialog(*m_pDoc, m_eMode, m_bCompare);
    return TRUE;
}

bool CTransferDlg::OnCommand(int nID, int nCode) {
    if (!m_pPresenter) {
        return true;  // closing: the presenter has stopped its worker and gone
    }
    switch (nID) {
        case IDOK:
            // Enter reaches the default button even while it is disabled.
            if (IsWindowEnabled(GetDlgItem(IDOK))) {
                m_pPresenter->OnOK();
            }
            return true;
        case IDCANCEL:
            m_pPresenter->OnCancel();
            return true;
        case IDC_TRANSFER:
            if (nCode == BN_CLICKED) {
                m_pPresenter->OnStartTransfer();
            }
            return true;
        case IDC_PORT:
            if (nCode == CBN_DROPDOWN) {
                m_pPresenter->OnPortListOpening();
            } else if (nCode == CBN_SELCHANGE) {
                m_pPresenter->OnSelchangePort(static_cast<int>(
                    SendDlgItemMessageW(GetSafeHwnd(), IDC_PORT, CB_GETCURSEL, 0, 0)));
            }
            return true;
        case IDC_BAUDRATE:
            if (nCode == CBN_SELCHANGE) {
                m_pPresenter->OnSelchangeBaudrate(static_cast<int>(
                    SendDlgItemMessageW(GetSafeHwnd(), IDC_BAUDRATE, CB_GETCURSEL, 0, 0)));
            }
            return true;
        default:
            return false;
    }
}

bool CTransferDlg::OnMessage(UINT nMsg, WPARAM /*wParam*/, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (nMsg) {
        case WM_TRANSFER_INVOKE:
            (*reinterpret_cast<const Call*>(lParam))();
            return true;
        case WM_TRANSFER_STEP:
        case WM_TRANSFER_COUNT:
        case WM_TRANSFER_DONE:
        case WM_TRANSFER_POST: {
            const std::unique_ptr<Call> call(reinterpret_cast<Call*>(lParam));
            (*call)();
            return true;
        }
        case WM_MEASUREITEM: {
            auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (item.CtlID != IDC_STATUS) {
                return false;
            }
            MeasureStatusLine(item);
            result = TRUE;
            return true;
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlID == IDC_STATUS) {
                DrawStatusLine(item);
            } else if (item.CtlID == IDC_PORT) {
                DrawPortEntry(item);
            } else {
                return false;
            }
            result = TRUE;
            return true;
        }
        case WM_DESTROY:
            DropPostedCalls();
            return false;
        default:
            return false;
    }
}

// -- drawing --------------------------------------------------------------------

void CTransferDlg::SetCaption(const std::string& caption) {
    SetWindowTextW(GetSafeHwnd(), CDisplayText::Widen(caption).c_str());
}

void CTransferDlg::AddStatusLine(const std::string& line) {
    InsertStatusLine(static_cast<int>(m_statusLines.size()), line);
    ScrollStatusToEnd();
}

void CTransferDlg::InsertStatusLine(int index, const std::string& line) {
    const auto at =
        static_cast<std::size_t>(std::clamp(index, 0, static_cast<int>(m_statusLines.size())));
    // The list measures the new line as it takes it, from this copy.
    m_statusLines.insert(m_statusLines.begin() + static_cast<std::ptrdiff_t>(at),
                         CDisplayText::Widen(line));
    SendDlgItemMessageW(GetSafeHwnd(), IDC_STATUS, LB_INSERTSTRING, at,
                        reinterpret_cast<LPARAM>(m_statusLines[at].c_str()));
}

void CTransferDlg::ClearStatusLines() {
    SendDlgItemMessageW(GetSafeHwnd(), IDC_STATUS, LB_RESETCONTENT, 0, 0);
    m_statusLines.clear();
}

int CTransferDlg::StatusWidth() const {
    RECT rect = {};
    GetWindowRect(GetDlgItem(IDC_STATUS), &rect);
    // The width left beside the scroll bar, whether it shows yet or not.
    return rect.right - rect.left - 2 * GetSystemMetrics(SM_CXEDGE) -
           GetSystemMetrics(SM_CXVSCROLL) - 2 * kTextMargin;
}

void CTransferDlg::MeasureStatusLine(MEASUREITEMSTRUCT& item) const {
    if (item.itemID >= m_statusLines.size()) {
        return;
    }
    const std::wstring& text = m_statusLines[item.itemID];
    HWND list = GetDlgItem(IDC_STATUS);
    HDC dc = GetDC(list);
    HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    RECT rect = {0, 0, StatusWidth(), 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    ReleaseDC(list, dc);
    // A list item is at most 255 pixels high.
    item.itemHeight = static_cast<UINT>(std::clamp<LONG>(rect.bottom - rect.top, 1, 255));
}

void CTransferDlg::DrawStatusLine(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= m_statusLines.size()) {
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
        return;
    }
    DrawEntry(item, m_statusLines[item.itemID], DT_WORDBREAK | DT_EDITCONTROL);
}

void CTransferDlg::DrawPortEntry(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == static_cast<UINT>(-1)) {
        FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
        return;
    }
    const bool bClosed = (item.itemState & ODS_COMBOBOXEDIT) != 0;
    const std::wstring text =
        bClosed && item.itemID < m_portShort.size()
            ? m_portShort[item.itemID]
            : TextOfItem(item.hwndItem, CB_GETLBTEXTLEN, CB_GETLBTEXT, item.itemID);
    DrawEntry(item, text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}

void CTransferDlg::ScrollStatusToEnd() const {
    // The last lines that fit, the newest at the bottom.
    HWND list = GetDlgItem(IDC_STATUS);
    RECT client = {};
    GetClientRect(list, &client);
    int top = static_cast<int>(m_statusLines.size());
    for (int height = 0; top > 0;) {
        height += static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, top - 1, 0));
        if (height > client.bottom) {
            break;
        }
        --top;
    }
    // A last line taller than the list shows from its top.
    const int last = static_cast<int>(m_statusLines.size()) - 1;
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, std::min(top, last))), 0);
}

void CTransferDlg::SetProgressRange(int upper) {
    SendDlgItemMessageW(GetSafeHwnd(), IDC_PROGRESS, PBM_SETRANGE32, 0, std::max(0, upper));
}

void CTransferDlg::SetProgressPos(int pos) {
    SendDlgItemMessageW(GetSafeHwnd(), IDC_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

void CTransferDlg::StepProgress(int steps) {
    // As many PBM_STEPIT as steps: each step past the upper end wraps to the
    // lower end, so the position moves on a ring of (upper - lower + 1) places.
    HWND bar = GetDlgItem(IDC_PROGRESS);
    PBRANGE range = {};
    SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const long long span = static_cast<long long>(range.iHigh) - range.iLow + 1;
    const long long moved =
        static_cast<long long>(SendMessageW(bar, PBM_GETPOS, 0, 0)) - range.iLow + steps;
    const long long offset = ((moved % span) + span) % span;
    SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(range.iLow + offset), 0);
}

void CTransferDlg::SetByteCount(const std::string& text) {
    SetDlgItemTextW(GetSafeHwnd(), IDC_BYTES, CDisplayText::Widen(text).c_str());
}

void CTransferDlg::EnableControls(const CDialogControls& enabled) {
    const struct {
        int nID;
        bool bEnable;
    } controls[] = {{IDC_PROGRESS, true},
                    {IDC_TRANSFER, enabled.bTransfer},
                    {IDC_BAUDRATE, enabled.bBaudRate},
                    {IDC_PORT, enabled.bPort},
                    {IDOK, enabled.bExit}};
    HWND focus = GetFocus();
    for (const auto& control : controls) {
        HWND window = GetDlgItem(control.nID);
        // A disabled control keeps no focus: Cancel, never disabled, takes it.
        if (!control.bEnable && focus == window) {
            SendMessageW(GetSafeHwnd(), WM_NEXTDLGCTL,
                         reinterpret_cast<WPARAM>(GetDlgItem(IDCANCEL)), TRUE);
        }
        EnableWindow(window, control.bEnable ? TRUE : FALSE);
    }
}

void CTransferDlg::ShowPorts(const std::vector<CPortEntry>& entries, int selected) {
    HWND list = GetDlgItem(IDC_PORT);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    m_portShort.clear();
    std::vector<std::wstring> texts;
    for (const CPortEntry& entry : entries) {
        texts.push_back(CDisplayText::Widen(entry.strText));
        m_portShort.push_back(CDisplayText::Widen(entry.strShort));
    }
    texts.push_back(CDisplayText::Widen(CPortListModel::kOther));
    m_portShort.push_back(texts.back());
    // The open list is as wide as its widest entry and shows every entry up
    // to a number, the closed one keeps its place in the template.
    HDC dc = GetDC(list);
    HGDIOBJ oldFont =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    int cxWidest = 0;
    for (const std::wstring& text : texts) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SIZE size = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        cxWidest = std::max<int>(cxWidest, size.cx);
    }
    SelectObject(dc, oldFont);
    ReleaseDC(list, dc);
    SendMessageW(list, CB_SETDROPPEDWIDTH,
                 static_cast<WPARAM>(cxWidest + 2 * kTextMargin + GetSystemMetrics(SM_CXVSCROLL) +
                                     4 * GetSystemMetrics(SM_CXEDGE)),
                 0);
    RECT rect = {};
    GetWindowRect(list, &rect);
    MapWindowPoints(nullptr, GetSafeHwnd(), reinterpret_cast<POINT*>(&rect), 2);
    const int rows = std::min(static_cast<int>(texts.size()), kPortRowsShown);
    const auto cyField = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, -1, 0));
    const auto cyRow = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, 0, 0));
    SetWindowPos(list, nullptr, 0, 0, rect.right - rect.left,
                 cyField + rows * cyRow + 4 * GetSystemMetrics(SM_CYEDGE),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void CTransferDlg::ShowBaudRates(const std::vector<std::string>& rates, int selected) {
    HWND list = GetDlgItem(IDC_BAUDRATE);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& rate : rates) {
        SendMessageW(list, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(CDisplayText::Widen(rate).c_str()));
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

void CTransferDlg::FocusExit() {
    SendMessageW(GetSafeHwnd(), DM_SETDEFID, IDOK, 0);
    SendMessageW(GetSafeHwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDOK)), TRUE);
}

void CTransferDlg::EndDialog() {
    CDialog::EndDialog(1);
}

// -- the hand-over --------------------------------------------------------------

void CTransferDlg::Invoke(const std::function<void()>& call) {
    if (GetCurrentThreadId() == m_nThreadId) {
        call();
        return;
    }
    // Returns once the interface thread has run the call: it serves sent
    // messages in its message loop and while it waits for the worker.
    SendMessageW(GetSafeHwnd(), WM_TRANSFER_INVOKE, 0, reinterpret_cast<LPARAM>(&call));
}

void CTransferDlg::Post(std::function<void()> call) {
    PostCall(WM_TRANSFER_POST, std::move(call));
}

void CTransferDlg::PostReport(EPostedReport eReport, std::function<void()> call) {
    switch (eReport) {
        case EPostedReport::Step:
            PostCall(WM_TRANSFER_STEP, std::move(call));
            return;
        case EPostedReport::Count:
            PostCall(WM_TRANSFER_COUNT, std::move(call));
            return;
        case EPostedReport::Done:
            PostCall(WM_TRANSFER_DONE, std::move(call));
            return;
    }
}

void CTransferDlg::PostCall(UINT nMsg, std::function<void()> call) {
    auto* pCall = new Call(std::move(call));
    HWND hWnd = GetSafeHwnd();
    if (hWnd == nullptr || !PostMessageW(hWnd, nMsg, 0, reinterpret_cast<LPARAM>(pCall))) {
        delete pCall;  // the dialog is gone: the call is dropped
    }
}

void CTransferDlg::DropPostedCalls() {
    MSG msg;
    while (PeekMessageW(&msg, GetSafeHwnd(), WM_TRANSFER_STEP, WM_TRANSFER_POST, PM_REMOVE)) {
        if (msg.message != WM_TRANSFER_INVOKE) {
            delete reinterpret_cast<Call*>(msg.lParam);
        }
    }
}

void CTransferDlg::ServeFor(int ms) {
    // Sent and posted messages, timers and painting; the user's input waits.
    constexpr UINT kServed = PM_QS_SENDMESSAGE | PM_QS_POSTMESSAGE | PM_QS_PAINT;
    constexpr DWORD kWakeOn = QS_SENDMESSAGE | QS_POSTMESSAGE | QS_TIMER | QS_PAINT;
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max(ms, 0));
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), kWakeOn,
                                    MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | kServed)) {
            if (msg.message == WM_QUIT) {
                // For the loop that ends the program, once this wait is over.
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

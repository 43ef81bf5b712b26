#include "CReportDlg.h"

#include "resource.h"

#include <cstring>

namespace {

constexpr int kTextPoints = 9;

}  // namespace

CReportDlg::CReportDlg(std::wstring caption, const std::vector<std::wstring>& lines)
    : CDialog(IDD_REPORT), m_strCaption(std::move(caption)) {
    for (const std::wstring& line : lines) {
        if (!m_strText.empty()) {
            m_strText += L"\r\n";
        }
        m_strText += line;
    }
}

BOOL CReportDlg::OnInitDialog() {
    SetWindowTextW(GetSafeHwnd(), m_strCaption.c_str());
    HWND text = GetDlgItem(IDC_REPORT_TEXT);
    m_font.Apply(text, kTextPoints);
    SetWindowTextW(text, m_strText.c_str());
    // The focus on OK, so that the report opens unselected and Enter closes it.
    SetFocus(GetDlgItem(IDOK));
    return FALSE;
}

bool CReportDlg::OnCommand(int nID, int nCode) {
    if (nID == IDC_REPORT_COPY) {
        if (!CopyToClipboard()) {
            MessageBeep(MB_ICONWARNING);
        }
        return true;
    }
    return CDialog::OnCommand(nID, nCode);
}

bool CReportDlg::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // The read-only box reads as a page, not as a disabled field.
    if (nMsg == WM_CTLCOLORSTATIC &&
        reinterpret_cast<HWND>(lParam) == GetDlgItem(IDC_REPORT_TEXT)) {
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        return true;
    }
    return false;
}

bool CReportDlg::CopyToClipboard() const {
    const std::size_t bytes = (m_strText.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) {
        return false;
    }
    std::memcpy(GlobalLock(memory), m_strText.c_str(), bytes);
    GlobalUnlock(memory);
    if (OpenClipboard(GetSafeHwnd()) == FALSE) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    // Once set, the memory is the clipboard's.
    const bool bSet = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!bSet) {
        GlobalFree(memory);
    }
    return bSet;
}

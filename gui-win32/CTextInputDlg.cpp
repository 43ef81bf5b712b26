#include "CTextInputDlg.h"

BOOL CTextInputDlg::OnInitDialog() {
    SetWindowTextW(GetSafeHwnd(), m_strCaption.c_str());
    SetDlgItemTextW(GetSafeHwnd(), IDC_TEXT_LABEL, m_strLabel.c_str());
    HWND edit = GetDlgItem(IDC_TEXT_EDIT);
    SetWindowTextW(edit, m_strText.c_str());
    // The typing goes on after what is there already.
    SendMessageW(edit, EM_SETSEL, m_strText.size(), m_strText.size());
    SetFocus(edit);
    return FALSE;  // the focus is set
}

bool CTextInputDlg::OnCommand(int nID, int nCode) {
    if (nID == IDOK) {
        HWND edit = GetDlgItem(IDC_TEXT_EDIT);
        m_strText.assign(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
        m_strText.resize(static_cast<std::size_t>(
            GetWindowTextW(edit, m_strText.data(), static_cast<int>(m_strText.size()))));
    }
    return CDialog::OnCommand(nID, nCode);
}

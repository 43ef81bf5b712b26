#include "CTransferDlg.h"

namespace {

struct CFixedChoice {
    int nID;
    int nIndex;  // in the list's own order (a sorted list's sorted order)
};

// "8", "NONE", "1" and "None".
constexpr CFixedChoice kLineFormat[] = {
    {IDC_DATABITS, 1}, {IDC_PARITY, 0}, {IDC_STOPBITS, 0}, {IDC_FLOWCONTROL, 1}};

}  // namespace

BOOL CTransferDlg::OnInitDialog() {
    for (const CFixedChoice& choice : kLineFormat) {
        HWND list = GetDlgItem(choice.nID);
        SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(choice.nIndex), 0);
        EnableWindow(list, FALSE);
    }
    return TRUE;
}

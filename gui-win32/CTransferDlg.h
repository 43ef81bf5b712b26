#pragma once

#include "CDialog.h"
#include "resource.h"

// The transfer dialog's window: the port and baud rate lists, the fixed line
// format, the status list, the progress bar and the byte counter, as the
// template lays them out. It shows the line format the port always uses
// (8 data bits, no parity, 1 stop bit, no flow control) in lists that stay
// disabled.
class CTransferDlg : public CDialog {
public:
    CTransferDlg() : CDialog(IDD_TRANSFER) {}

protected:
    BOOL OnInitDialog() override;
};

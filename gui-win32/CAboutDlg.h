#pragma once

#include "CDialog.h"
#include "resource.h"

// Help > About: the program's name, icon and version, closed with OK.
class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};

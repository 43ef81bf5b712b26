#pragma once

// Resource, command, string and control ids of tovrik.exe, shared by the
// resource script and the code.

#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDD_TRANSFER 147
#define IDI_ABOUTBOX 151
#define IDD_TEXTINPUT 152
#define IDD_REPORT 153

// The contents of the transfer dialog's lists, in the dialog's own resource
// type: a combo box id (16 bits), a byte count (32 bits) and that many bytes
// of ASCII text ending in a null; a 0 id ends them.
#define RT_LISTINIT 240
// The toolbar's buttons: 16-bit words, version 1, image width and height, the
// number of items, then each item's command id (0 for a separator).
#define RT_TOOLBAR 241

#define ID_FILE_DOWNLOAD 32772
#define ID_FILE_UPLOAD 32773
#define ID_FILE_COMPARE_FILE 32774
#define ID_FILE_COMPARE_DEVICE 32775
#define ID_FILE_NEW 57600
#define ID_FILE_OPEN 57601
#define ID_FILE_SAVE 57603
#define ID_FILE_SAVE_AS 57604
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393

#define AFX_IDS_APP_TITLE 57344
#define AFX_IDS_IDLEMESSAGE 57345
#define ID_INDICATOR_CAPS 59137
#define ID_INDICATOR_NUM 59138
#define ID_INDICATOR_SCRL 59139

// The prompts of the system menu's items: 0xEF00 + (SC_xxx - 0xF000) / 16.
#define AFX_IDS_SCFIRST 0xEF00
#define AFX_IDS_SCSIZE 0xEF00
#define AFX_IDS_SCMOVE 0xEF01
#define AFX_IDS_SCMINIMIZE 0xEF02
#define AFX_IDS_SCMAXIMIZE 0xEF03
#define AFX_IDS_SCCLOSE 0xEF06
#define AFX_IDS_SCRESTORE 0xEF12
#define AFX_IDS_SCTASKLIST 0xEF13

#define IDC_BAUDRATE 1006
#define IDC_TRANSFER 1007
#define IDC_PROGRESS 1008
#define IDC_STATUS 1010
#define IDC_PORT 1013
#define IDC_DATABITS 1015
#define IDC_PARITY 1017
#define IDC_STOPBITS 1018
#define IDC_FLOWCONTROL 1019
#define IDC_BYTES 1023
#define IDC_TEXT_LABEL 1030
#define IDC_TEXT_EDIT 1031
#define IDC_REPORT_TEXT 1032
#define IDC_REPORT_COPY 1033

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#pragma once

#include "CDialog.h"
#include "CFixedFont.h"

#include <string>
#include <vector>

// A report to read: its rows in a read-only box in a fixed-width font, Copy
// to put them on the clipboard, OK and Esc to close it.
class CReportDlg : public CDialog {
public:
    CReportDlg(std::wstring caption, const std::vector<std::wstring>& lines);

    // The rows joined by line ends, as the box and the clipboard take them.
    const std::wstring& GetText() const { return m_strText; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int nID, int nCode) override;
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // False when the clipboard could not be taken.
    bool CopyToClipboard() const;

    std::wstring m_strCaption;
    std::wstring m_strText;
    CFixedFont m_font;
};

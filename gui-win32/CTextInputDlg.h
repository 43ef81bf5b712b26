#pragma once

#include "CDialog.h"
#include "resource.h"

#include <string>

// A line of text the user types, with a caption and a label above the box;
// OK takes it, Cancel and Esc give it up.
class CTextInputDlg : public CDialog {
public:
    CTextInputDlg(std::wstring caption, std::wstring label, std::wstring text)
        : CDialog(IDD_TEXTINPUT),
          m_strCaption(std::move(caption)),
          m_strLabel(std::move(label)),
          m_strText(std::move(text)) {}

    // What was typed, once the dialog ended with IDOK.
    const std::wstring& GetText() const { return m_strText; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int nID, int nCode) override;

private:
    std::wstring m_strCaption;
    std::wstring m_strLabel;
    std::wstring m_strText;
};

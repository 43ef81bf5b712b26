#pragma once

#include <windows.h>

// A dialog window made from a template of the program's resources, modal or
// modeless. As the dialog is made, the lists named in the template's list
// resource (RT_LISTINIT) are filled, before OnInitDialog runs.
class CDialog {
public:
    explicit CDialog(unsigned nIDTemplate) : m_nIDTemplate(nIDTemplate) {}
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until it ends; its result, or -1 when it could not be
    // made.
    INT_PTR DoModal(HWND hWndParent);
    // Makes the dialog without running it; false when it could not be made.
    bool Create(HWND hWndParent);

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // A WM_COMMAND; true when handled. OK and Cancel end the dialog unless an
    // override handles them.
    virtual bool OnCommand(int nID, int nCode);
    // Any other message once the dialog is initialised; true when handled,
    // with the message's result in `result`.
    virtual bool OnMessage(UINT /*nMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                           LRESULT& /*result*/) {
        return false;
    }
    void EndDialog(INT_PTR nResult);

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    // Fills the lists from the template's list resource; false when the
    // resource is damaged.
    bool FillLists() const;

    unsigned m_nIDTemplate;
    HWND m_hWnd = nullptr;
    bool m_bModal = false;
};

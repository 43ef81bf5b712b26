#pragma once

#include "CDialog.h"
#include "app/CTransferPresenter.h"
#include "app/ITransferDialog.h"
#include "core/serial/CSerialPort.h"
#include "resource.h"

#include <memory>
#include <string>
#include <vector>

class CSystemContext;
class IPrompter;

// The transfer dialog's window: the port and baud rate lists, the fixed line
// format, the status list, the progress bar and the byte counter, as the
// template lays them out. Its presenter decides what it shows and does; the
// window owns the serial port of the transfer.
//
// The worker reaches the window through its messages: a call that must be
// drawn before the worker goes on is sent (WM_TRANSFER_INVOKE), the reports
// that need not wait are posted (WM_TRANSFER_STEP, _COUNT, _DONE, and
// WM_TRANSFER_POST for any other). Each carries the call to run.
class CTransferDlg : public CDialog, public ITransferDialog {
public:
    static constexpr UINT WM_TRANSFER_STEP = WM_USER + 100;
    static constexpr UINT WM_TRANSFER_COUNT = WM_USER + 101;
    static constexpr UINT WM_TRANSFER_DONE = WM_USER + 102;
    static constexpr UINT WM_TRANSFER_INVOKE = WM_USER + 103;
    static constexpr UINT WM_TRANSFER_POST = WM_USER + 104;

    CTransferDlg(IPrompter& prompter, CSystemContext& context);
    // Stops a worker still running, then closes the window and the port.
    ~CTransferDlg() override;

    // Runs the dialog for the document in the mode's direction; 1 however it
    // is closed, -1 when it could not be made. bCompare: it reads the
    // device's configuration for a compare, leaving the document as it was.
    INT_PTR DoModal(HWND hWndParent, CQARNCfgDoc& doc, ETransferMode eMode, bool bCompare = false);
    // The same dialog without its own modal loop; false when it could not be
    // made. It ends as a modal one does, by destroying its window.
    bool Create(HWND hWndParent, CQARNCfgDoc& doc, ETransferMode eMode, bool bCompare = false);
    CTransferPresenter& Presenter() { return *m_pPresenter; }

    // -- ITransferDialog ------------------------------------------------------
    void SetCaption(const std::string& caption) override;
    void AddStatusLine(const std::string& line) override;
    void InsertStatusLine(int index, const std::string& line) override;
    void ClearStatusLines() override;
    void SetProgressRange(int upper) override;
    void SetProgressPos(int pos) override;
    void StepProgress(int steps) override;
    void SetByteCount(const std::string& text) override;
    void EnableControls(const CDialogControls& enabled) override;
    void ShowPorts(const std::vector<CPortEntry>& entries, int selected) override;
    void ShowBaudRates(const std::vector<std::string>& rates, int selected) override;
    void FocusExit() override;
    void EndDialog() override;
    void Invoke(const std::function<void()>& call) override;
    void Post(std::function<void()> call) override;
    void PostReport(EPostedReport eReport, std::function<void()> call) override;
    void ServeFor(int ms) override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int nID, int nCode) override;
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void PostCall(UINT nMsg, std::function<void()> call);
    // Deletes the calls still waiting in the queue as the window goes.
    void DropPostedCalls();
    // A status line's height: wrapped to the list's width, so that no line
    // needs scrolling sideways.
    void MeasureStatusLine(MEASUREITEMSTRUCT& item) const;
    void DrawStatusLine(const DRAWITEMSTRUCT& item) const;
    // The closed port list shows a port's short name, the open one its whole
    // entry.
    void DrawPortEntry(const DRAWITEMSTRUCT& item) const;
    void ScrollStatusToEnd() const;
    int StatusWidth() const;

    CQARNCfgDoc* m_pDoc = nullptr;
    ETransferMode m_eMode = ETransferMode::Download;
    bool m_bCompare = false;
    DWORD m_nThreadId = 0;  // the interface thread's
    std::vector<std::wstring> m_statusLines;
    std::vector<std::wstring> m_portShort;
    CSerialPort m_port;
    std::unique_ptr<CTransferPresenter> m_pPresenter;
};

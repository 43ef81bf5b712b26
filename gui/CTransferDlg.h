#pragma once

#include "app/CTransferPresenter.h"
#include "app/ITransferDialog.h"
#include "core/serial/CSerialPort.h"

#include <QDialog>
#include <QString>

#include <atomic>
#include <memory>

class CPortList;
class CProgressCtrl;
class CQARNCfgDoc;
class CSystemContext;
class IPrompter;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

// The modal dialog in which every exchange with the QARN device takes place,
// drawn with Qt widgets in the dialog's own layout. Its presenter decides what
// it shows and does; it owns the serial port of the transfer.
class CTransferDlg : public QDialog, public ITransferDialog {
    Q_OBJECT
public:
    CTransferDlg(IPrompter& prompter, CSystemContext& context, QWidget* parent = nullptr);
    ~CTransferDlg() override;

    // Shows the dialog for the document in the mode's direction; bCompare: an
    // upload that reads the device's configuration aside, leaving the document
    // as it was (Presenter().TakeCompared() then gives the compare). Every way of
    // closing it gives 1.
    int DoModal(CQARNCfgDoc* pDoc, ETransferMode nMode, bool bCompare = false);
    CTransferPresenter& Presenter() { return *m_pPresenter; }

    // -- ITransferDialog -------------------------------------------------------
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
    void ServeFor(int ms) override;

    // -- the controls, in the order of the dialog's resource ------------------
    QLineEdit* m_editBytes = nullptr;
    QPushButton* m_btnExit = nullptr;
    QComboBox* m_cbStopBits = nullptr;
    QComboBox* m_cbParity = nullptr;
    QComboBox* m_cbFlowControl = nullptr;
    QComboBox* m_cbDataBits = nullptr;
    CPortList* m_cbPort = nullptr;
    QComboBox* m_cbBaudRate = nullptr;
    QListWidget* m_lbStatus = nullptr;
    QPushButton* m_btnTransfer = nullptr;
    CProgressCtrl* m_progress = nullptr;
    QPushButton* m_btnCancel = nullptr;

protected:
    // The Exit button, Enter, Cancel, Esc and the close box.
    void accept() override;
    void reject() override;

private:
    void CreateControls();

    CSerialPort m_port;
    std::unique_ptr<CTransferPresenter> m_pPresenter;
    std::atomic<unsigned> m_nHandoffs{0};  // orders the calls handed to the interface thread
};

#pragma once

#include "gui/CPortList.h"
#include "serial/CSerialPort.h"
#include "transfer/CTransferSession.h"
#include "transfer/CTransferView.h"

#include <QDialog>
#include <QMessageBox>
#include <QString>

#include <atomic>
#include <functional>

class CProgressCtrl;
class CQARNCfgDoc;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

// The modal dialog in which every exchange with the QARN device takes place:
// the user picks port and baud rate, starts one worker, and watches its status
// lines, progress bar and byte counter. It owns the serial port and the
// session of the transfer, and shows what the worker reports.
class CTransferDlg : public QDialog, public CTransferView {
    Q_OBJECT
public:
    // Shows a message box with `buttons` and returns the one pressed; the
    // application replaces it so that its dialogs can be answered without
    // anyone at the keyboard.
    using BoxRunner = std::function<QMessageBox::StandardButton(
        QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)>;

    explicit CTransferDlg(QWidget* parent = nullptr);
    ~CTransferDlg() override;

    // File > Download and File > Upload of the document.
    static void Run(QWidget* parent, CQARNCfgDoc& doc, ETransferMode nMode);

    // Shows the dialog for the document in the mode's direction. Every way of
    // closing it gives 1.
    virtual int DoModal(CQARNCfgDoc* pDoc, ETransferMode nMode);

    // The baud rate named by the baud list entry at the document's m_nBaudIndex,
    // 0 when that index names no entry.
    int GetSelectedBaud() const;
    // Every message box and question of the dialog goes through `runner`
    // when one is set.
    void SetBoxRunner(BoxRunner runner) { m_boxRunner = std::move(runner); }

    // -- what the worker calls; safe from any thread ---------------------------
    void AddStatus(const std::string& line) override;
    void InsertStatus(int index, const std::string& line) override;
    void SetProgressPos(int pos) override;
    void StepProgress() override;
    void UpdateByteCount(int nTotal) override;
    void EnableControls() override;
    void SetCaption(const std::string& caption) override;
    void ShowMessageBox(const std::string& text, const std::string& caption) override;
    void UploadNotWhole(const CConfigCheck& check) override;
    void PostTransferStep() override;
    void PostTransferCount() override;
    void PostTransferDone() override;

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
    QString m_strBytes;

    // The port the worker uses, and the transfer: its settings, the flags and
    // byte total shared with the worker, and the worker itself.
    CSerialPort m_port;
    CTransferSession m_session{*this, m_port};

protected:
    virtual bool OnInitDialog();
    void OnStartTransfer();
    void OnSelchangePort();
    void OnSelchangeBaudrate();
    virtual void OnOK();
    virtual void OnCancel();

    void OnTransferStep();
    void OnTransferCount();
    void OnTransferDone();

    // Every message box of the dialog and of its worker comes through here;
    // waits until the user has closed it.
    virtual void MessageBox(const QString& text, const QString& caption, QMessageBox::Icon icon);
    // "Other…" in the port list: the device path the user types, "" when the
    // user cancels.
    virtual QString AskDevicePath();
    // A question with Yes and No, No the default; true for Yes.
    virtual bool AskYesNo(const QString& text, const QString& caption);

    // The Exit button, Enter, Cancel, Esc and the close box.
    void accept() override;
    void reject() override;

private:
    void CreateControls();
    // Marks the dialog as closing and asks a running worker to stop; false when
    // it is closing already. bAborts: the request aborts the transfer (it does
    // not once a download has sent its end line).
    bool BeginClosing(bool& bWasRunning, bool& bAborts);
    template <class F>
    void OnUiThread(F&& f);
    void QueueStep();
    void FlushSteps();
    // Runs the event loop in steps of nStepMs, without user input, until
    // m_bRunning has fallen; at least one step when bAtLeastOnce is set.
    void WaitForWorker(int nStepMs, bool bAtLeastOnce);
    void StartTransferWorker();
    void EndDialog();
    void SetTransferControlsEnabled(bool bEnabled);
    // "Other…": asks for a device path and takes it.
    void OnOtherPort();
    // Takes COM<nPort>, or the device when nPort is 0, unless it is the
    // console; says what stands in the way of using it.
    void ChoosePort(int nPort, const std::string& device);
    // Shows the port chosen, after a choice is taken, refused or abandoned.
    void RestorePortChoice();
    // Download: the configuration in memory is whole, or the user wants it
    // sent anyway.
    bool ConfirmDownload();
    QMessageBox::StandardButton RunBox(QMessageBox::Icon icon, const QString& caption,
                                       const QString& text, QMessageBox::StandardButtons buttons,
                                       QMessageBox::StandardButton defaultButton);

    std::atomic<int> m_nPendingSteps{0};
    std::atomic<unsigned> m_nHandoffs{0};  // orders the calls handed to the interface thread
    QTimer* m_stepTimer = nullptr;
    bool m_bClosing = false;
    BoxRunner m_boxRunner;
};

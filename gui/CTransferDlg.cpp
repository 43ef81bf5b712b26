#include "gui/CTransferDlg.h"

#include "data/CConfigCheck.h"
#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "gui/CDialogUnits.h"
#include "gui/CPortList.h"
#include "gui/CProgressCtrl.h"
#include "platform/CPortDiscovery.h"
#include "platform/ETovrikError.h"
#include "serial/CPortMap.h"
#include "settings/CTransferSettings.h"
#include "transfer/TransferProtocol.h"

#include <QComboBox>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QThread>
#include <QTimer>

#include <cstdlib>
#include <utility>

namespace {

constexpr int kCloseWaitMs = 1000;  // Exit and Cancel look at the worker this often
constexpr int kRestartWaitMs = 10;  // a start waits this often for the last worker's end
constexpr int kStepFlushMs = 20;    // worker progress steps reach the bar this late at most
constexpr const char* kMissingText = " is missing: plug it in or choose another port.";

int ReadBaud(const QString& text) {
    return static_cast<int>(std::strtod(text.toLatin1().constData(), nullptr));
}

}  // namespace

CTransferDlg::CTransferDlg(QWidget* parent) : QDialog(parent) {
    CreateControls();
    m_stepTimer = new QTimer(this);
    m_stepTimer->setSingleShot(true);
    m_stepTimer->setInterval(kStepFlushMs);
    connect(m_stepTimer, &QTimer::timeout, this, &CTransferDlg::OnTransferStep);
}

CTransferDlg::~CTransferDlg() {
    // The worker refers to this object until it ends.
    if (m_session.m_bRunning) {
        m_session.m_bAbort = true;
        WaitForWorker(kRestartWaitMs, false);
    }
    m_session.JoinWorker();
    m_port.Close();
}

void CTransferDlg::Run(QWidget* parent, CQARNCfgDoc& doc, ETransferMode nMode) {
    CTransferDlg dlg(parent);
    dlg.DoModal(&doc, nMode);
}

void CTransferDlg::CreateControls() {
    setWindowTitle(QStringLiteral("Tovrik - QARN Data Backup/Restore"));
    const CDialogUnits du(font());
    setFixedSize(du.X(313), du.Y(301));

    auto place = [](QWidget* w, QRect r, bool bKeepHintHeight) {
        if (bKeepHintHeight) {
            r.setHeight(std::max(r.height(), w->sizeHint().height()));
        }
        w->setGeometry(r);
    };
    auto button = [&](const char* text, QRect r) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        r.setWidth(std::max(r.width(), b->sizeHint().width()));
        place(b, r, true);
        return b;
    };
    // A label ends where its control begins; text wider than the label grows
    // to the left so it never runs under the control.
    auto label = [&](const char* text, QRect r) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        const int need = l->sizeHint().width();
        if (need > r.width()) {
            r.setLeft(r.right() + 1 - need);
        }
        r.setHeight(std::max(r.height(), l->sizeHint().height()));
        l->setGeometry(r);
        return l;
    };
    // The frame's top line runs through the middle of the title, as the
    // dialog's layout expects; Qt draws the title above the frame.
    auto group = [&](const char* text, QRect r) {
        auto* g = new QGroupBox(QString::fromLatin1(text), this);
        r.setTop(r.top() - QFontMetrics(font()).height() / 2);
        g->setGeometry(r);
        g->lower();
        return g;
    };
    auto list = [&](std::initializer_list<const char*> items, QRect r) {
        auto* cb = new QComboBox(this);
        for (const char* item : items) {
            cb->addItem(QString::fromLatin1(item));
        }
        place(cb, r, true);
        return cb;
    };

    // In the order of the resource, which is also the tab order. The sorted
    // lists are filled in their sorted order.
    m_btnExit = button("Exit", du.Rect(241, 268, 50, 14));
    m_btnExit->setDefault(true);
    m_btnCancel = button("Cancel", du.Rect(183, 268, 50, 14));
    group("Communications Setup", du.Rect(14, 18, 231, 117));
    m_cbBaudRate = list({}, du.Rect(175, 33, 48, 12));
    for (const int baud : CTransferSettings::kBaudRates) {
        m_cbBaudRate->addItem(QString::number(baud));
    }
    label("Baud Rate:", du.Rect(134, 36, 37, 12));
    group("Status", du.Rect(15, 151, 275, 111));
    m_btnTransfer = new QPushButton(QStringLiteral("Transfer Configuration"), this);
    {
        // Wider text grows to the left, keeping the button inside its group.
        QRect r = du.Rect(197, 239, 75, 14);
        const int need = m_btnTransfer->sizeHint().width();
        if (need > r.width()) {
            r.setLeft(r.right() + 1 - need);
        }
        place(m_btnTransfer, r, true);
    }
    label("Working:", du.Rect(23, 161, 29, 8));
    m_progress = new CProgressCtrl(this);
    m_progress->setGeometry(du.Rect(54, 159, 227, 14));
    m_lbStatus = new QListWidget(this);
    m_lbStatus->setGeometry(du.Rect(54, 176, 228, 53));
    m_lbStatus->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_cbPort = new CPortList(this);
    place(m_cbPort, du.Rect(65, 35, 48, 12), true);
    label("Port:", du.Rect(45, 36, 16, 12));
    label("Status:", du.Rect(29, 175, 23, 8));
    m_cbDataBits = list({"7", "8"}, du.Rect(175, 59, 48, 12));
    label("Data bits:", du.Rect(140, 61, 31, 12));
    m_cbParity = list({"NONE", "EVEN", "ODD"}, du.Rect(65, 59, 48, 12));
    label("Parity:", du.Rect(41, 62, 20, 12));
    m_cbStopBits = list({"1", "1.5", "2"}, du.Rect(65, 80, 48, 12));
    label("Stop bits:", du.Rect(31, 84, 30, 12));
    m_cbFlowControl = list({"Hardware", "None", "Xon/Xoff"}, du.Rect(175, 81, 48, 12));
    m_cbFlowControl->setEditable(true);
    label("Flow Control:", du.Rect(129, 84, 42, 12));
    label("Bytes:", du.Rect(54, 233, 20, 8));
    m_editBytes = new QLineEdit(this);
    m_editBytes->setReadOnly(true);
    m_editBytes->setFrame(false);
    QPalette palette = m_editBytes->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    m_editBytes->setPalette(palette);
    m_editBytes->setGeometry(du.Rect(78, 234, 69, 14));

    connect(m_btnExit, &QPushButton::clicked, this, &CTransferDlg::accept);
    connect(m_btnCancel, &QPushButton::clicked, this, &CTransferDlg::reject);
    connect(m_btnTransfer, &QPushButton::clicked, this, &CTransferDlg::OnStartTransfer);
    connect(m_cbPort, &QComboBox::currentIndexChanged, this, &CTransferDlg::OnSelchangePort);
    connect(m_cbBaudRate, &QComboBox::currentIndexChanged, this,
            &CTransferDlg::OnSelchangeBaudrate);
}

int CTransferDlg::DoModal(CQARNCfgDoc* pDoc, ETransferMode nMode) {
    m_session.m_pDoc = pDoc;
    m_session.m_nMode = nMode;
    m_bClosing = false;
    OnInitDialog();
    return exec();
}

bool CTransferDlg::OnInitDialog() {
    m_strBytes.clear();
    m_editBytes->setText(m_strBytes);
    m_progress->SetStep(1);
    CQARNCfgDoc* const pDoc = m_session.m_pDoc;
    if (m_session.m_nMode == ETransferMode::Download) {
        m_progress->SetRange32(0, pDoc->m_nFileSize);
        m_lbStatus->addItem(QStringLiteral("Ready to Download."));
    } else {
        m_progress->SetRange32(0, CONFIG_IMAGE_BYTES);
        m_lbStatus->addItem(QStringLiteral("Ready to Upload."));
    }
    m_progress->SetPos(0);

    // Setting up the lists is not a change by the user: nothing is written.
    const QSignalBlocker blockBaud(m_cbBaudRate);
    const QSignalBlocker blockPort(m_cbPort);

    // A stored index that names no entry would leave the list blank and the
    // port or baud rate 0; the settings give the default for it.
    const CTransferSettings settings = CTransferSettings::Load();
    pDoc->m_nBaudIndex = settings.m_nBaudIndex;
    m_cbBaudRate->setCurrentIndex(settings.m_nBaudIndex);
    m_session.m_nBaudRate = GetSelectedBaud();

    // A port chosen from the ports found or typed is remembered beside
    // "CPSEL"; when it is gone it stays chosen, shown as missing. Without one,
    // a device the caller set before the dialog opened stays.
    if (!settings.m_strDevice.empty()) {
        m_session.m_strDevice = settings.m_strDevice;
    }
    m_cbPort->Select(settings.PortNumber(), m_session.m_strDevice);
    pDoc->m_nPortIndex = m_cbPort->currentIndex();
    m_session.m_nPort = settings.PortNumber();
    if (!m_session.m_strDevice.empty() && !m_cbPort->InfoAt(pDoc->m_nPortIndex).bPresent) {
        m_lbStatus->addItem(QString::fromStdString(m_session.m_strDevice + kMissingText));
    }

    // The line format is fixed by the port; these lists only show it.
    m_cbParity->setCurrentIndex(0);
    m_cbDataBits->setCurrentIndex(1);
    m_cbStopBits->setCurrentIndex(0);
    m_cbFlowControl->setCurrentIndex(1);
    for (QComboBox* cb : {m_cbParity, m_cbDataBits, m_cbStopBits, m_cbFlowControl}) {
        cb->setEnabled(false);
    }

    m_session.m_bRunning = false;
    m_session.m_bAbort = false;
    m_session.m_bUploadDone = false;
    m_session.m_nTotal = 0;
    UpdateByteCount(0);
    return true;
}

int CTransferDlg::GetSelectedBaud() const {
    // itemText() of an index outside the list is empty, which reads as 0.
    return ReadBaud(m_cbBaudRate->itemText(m_session.m_pDoc->m_nBaudIndex));
}

void CTransferDlg::OnStartTransfer() {
    if (m_bClosing) {
        return;
    }
    // The last worker enables this button just before it lets go of the port;
    // a new one starts only once the old one has ended.
    if (m_session.m_bRunning) {
        WaitForWorker(kRestartWaitMs, false);
    }
    m_session.m_strTitle = windowTitle().toStdString();
    m_session.m_nTotal = 0;
    const QString title = QString::fromStdString(m_session.m_strTitle);
    if (m_session.m_nMode == ETransferMode::Download) {
        if (g_recordList.IsEmpty()) {
            MessageBox(QString::fromUtf8(TransferProtocol::kNoDataText),
                       QString::fromUtf8(TransferProtocol::kNoDataCaption), QMessageBox::Warning);
            return;
        }
        if (!ConfirmDownload()) {
            return;
        }
        setWindowTitle(title + QStringLiteral(" - DownLoading"));
        if (m_session.m_pDoc->m_nFileSize == 0) {
            m_progress->SetRange32(0, CONFIG_IMAGE_BYTES);
        }
    } else {
        setWindowTitle(title + QStringLiteral(" - Uploading"));
    }
    SetTransferControlsEnabled(false);
    m_lbStatus->clear();
    StartTransferWorker();
}

bool CTransferDlg::ConfirmDownload() {
    const CConfigCheck check(*m_session.m_pDoc);
    if (check.IsWhole()) {
        return true;
    }
    std::vector<CConfigFinding> findings = check.Problems();
    findings.insert(findings.end(), check.Warnings().begin(), check.Warnings().end());
    return AskYesNo(QStringLiteral("This configuration is not complete (%1). Download it anyway?")
                        .arg(QString::fromStdString(CConfigCheck::ReasonList(findings))),
                    QString::fromUtf8(TransferProtocol::kNoDataCaption));
}

void CTransferDlg::StartTransferWorker() {
    if (m_session.m_nMode == ETransferMode::Upload) {
        // Kept aside rather than deleted: an upload that is cancelled or gets
        // no answer gives the loaded configuration back.
        m_session.BeginUpload();
    }
    if (m_session.StartWorker()) {
        return;
    }
    m_session.RestoreConfiguration();
    m_lbStatus->addItem(QStringLiteral("Cannot start the transfer."));
    setWindowTitle(QString::fromStdString(m_session.m_strTitle));
    SetTransferControlsEnabled(true);
}

void CTransferDlg::SetTransferControlsEnabled(bool bEnabled) {
    for (QWidget* w : {static_cast<QWidget*>(m_btnTransfer), static_cast<QWidget*>(m_cbBaudRate),
                       static_cast<QWidget*>(m_cbPort), static_cast<QWidget*>(m_btnExit)}) {
        w->setEnabled(bEnabled);
    }
}

void CTransferDlg::OnSelchangePort() {
    m_port.Close();
    const int index = m_cbPort->currentIndex();
    if (m_cbPort->IsOther(index)) {
        OnOtherPort();
        return;
    }
    ChoosePort(m_cbPort->PortAt(index), m_cbPort->DeviceAt(index));
}

void CTransferDlg::OnOtherPort() {
    const std::string typed = AskDevicePath().trimmed().toStdString();
    if (typed.empty()) {
        RestorePortChoice();
        return;
    }
    // A bare name is one the ports are listed under, or a device under /dev.
    ChoosePort(0, typed.find('/') != std::string::npos
                      ? typed
                      : CPortDiscovery::PathOf(typed).value_or("/dev/" + typed));
}

void CTransferDlg::ChoosePort(int nPort, const std::string& device) {
    // Looked at again now: the list may be older than the device.
    const CSerialPortInfo info =
        CPortDiscovery::Inspect(nPort != 0 ? CPortMap::DeviceFor(nPort) : device);
    const std::string name =
        nPort != 0 ? CPortMap::PortName(nPort) + " (" + CPortMap::DeviceFor(nPort) + ")" : device;
    if (info.bConsole) {
        const std::error_code console = ETovrikError::SystemConsole;
        m_lbStatus->addItem(
            QString::fromStdString("Cannot use " + name + ": " + console.message() + "."));
        RestorePortChoice();
        return;
    }

    if (nPort != 0) {
        m_session.m_nPort = nPort;
        m_session.m_strDevice.clear();
        CTransferSettings::SavePortIndex(nPort - 1);
    } else {
        m_session.m_strDevice = device;
        CTransferSettings::SavePortDevice(device);
    }
    RestorePortChoice();
    m_session.m_pDoc->m_nPortIndex = m_cbPort->currentIndex();
    if (!info.bPresent) {
        m_lbStatus->addItem(QString::fromStdString(name + kMissingText));
    } else if (!info.bAccessible) {
        m_lbStatus->addItem(QString::fromStdString("Cannot use " + name + ": " + info.strNoAccess));
    }
}

void CTransferDlg::RestorePortChoice() {
    const QSignalBlocker block(m_cbPort);
    m_cbPort->Select(m_session.m_nPort, m_session.m_strDevice);
}

QString CTransferDlg::AskDevicePath() {
    bool bOk = false;
    const QString path = QInputDialog::getText(this, QStringLiteral("Other port"),
                                               QStringLiteral("Device path of the serial port:"),
                                               QLineEdit::Normal, QStringLiteral("/dev/"), &bOk);
    return bOk ? path : QString();
}

void CTransferDlg::OnSelchangeBaudrate() {
    const int index = m_cbBaudRate->currentIndex();
    m_session.m_nBaudRate = ReadBaud(m_cbBaudRate->itemText(index));
    m_session.m_pDoc->m_nBaudIndex = index;
    CTransferSettings::SaveBaudIndex(index);
}

void CTransferDlg::accept() {
    OnOK();
}

void CTransferDlg::reject() {
    OnCancel();
}

bool CTransferDlg::BeginClosing(bool& bWasRunning, bool& bAborts) {
    if (m_bClosing) {
        return false;
    }
    m_bClosing = true;
    bWasRunning = m_session.m_bRunning;
    // A download that has sent its end line has finished: closing then only
    // shortens its last wait, and aborts nothing.
    bAborts = m_session.RequestAbort() && bWasRunning;
    return true;
}

void CTransferDlg::OnOK() {
    bool bWasRunning = false;
    bool bAborts = false;
    if (!BeginClosing(bWasRunning, bAborts)) {
        return;
    }
    if (bWasRunning) {
        WaitForWorker(kCloseWaitMs, true);
    }
    EndDialog();
}

void CTransferDlg::OnCancel() {
    bool bWasRunning = false;
    bool bAborts = false;
    if (!BeginClosing(bWasRunning, bAborts)) {
        return;
    }
    if (bAborts) {
        MessageBox(QString::fromUtf8(m_session.m_nMode == ETransferMode::Upload
                                         ? TransferProtocol::kUploadCancelledText
                                         : TransferProtocol::kDownloadCancelledText),
                   QString::fromUtf8(TransferProtocol::kCancelledCaption),
                   QMessageBox::Information);
    }
    WaitForWorker(kCloseWaitMs, true);
    EndDialog();
}

void CTransferDlg::WaitForWorker(int nStepMs, bool bAtLeastOnce) {
    // The worker's calls into the dialog wait for this thread, so the wait
    // must keep serving them or neither thread could move on.
    bool bFirst = bAtLeastOnce;
    while (bFirst || m_session.m_bRunning) {
        bFirst = false;
        QEventLoop loop;
        QTimer::singleShot(nStepMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

void CTransferDlg::EndDialog() {
    // Puts back the configuration of an upload that did not reach its end; a
    // dialog in which no upload was started leaves the records alone.
    m_session.EndSession();
    done(1);
}

void CTransferDlg::MessageBox(const QString& text, const QString& caption, QMessageBox::Icon icon) {
    RunBox(icon, caption, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool CTransferDlg::AskYesNo(const QString& text, const QString& caption) {
    return RunBox(QMessageBox::Warning, caption, text, QMessageBox::Yes | QMessageBox::No,
                  QMessageBox::No) == QMessageBox::Yes;
}

QMessageBox::StandardButton CTransferDlg::RunBox(QMessageBox::Icon icon, const QString& caption,
                                                 const QString& text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton) {
    if (m_boxRunner) {
        return m_boxRunner(this, icon, caption, text, buttons, defaultButton);
    }
    QMessageBox box(icon, caption, text, buttons, this);
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

// -- calls from the worker ----------------------------------------------------

template <class F>
void CTransferDlg::OnUiThread(F&& f) {
    if (QThread::currentThread() == thread()) {
        f();
    } else {
        // Qt hands the call over in ways that thread checkers cannot see; the
        // counter states the order outright: what either thread did before the
        // call happens before what the other does after it.
        m_nHandoffs.fetch_add(1, std::memory_order_release);
        QMetaObject::invokeMethod(
            this,
            [this, &f] {
                m_nHandoffs.load(std::memory_order_acquire);
                f();
                m_nHandoffs.fetch_add(1, std::memory_order_release);
            },
            Qt::BlockingQueuedConnection);
        m_nHandoffs.load(std::memory_order_acquire);
    }
}

void CTransferDlg::AddStatus(const std::string& line) {
    OnUiThread([&] {
        FlushSteps();
        m_lbStatus->addItem(QString::fromStdString(line));
    });
}

void CTransferDlg::InsertStatus(int index, const std::string& line) {
    OnUiThread([&] {
        FlushSteps();
        m_lbStatus->insertItem(index, QString::fromStdString(line));
    });
}

void CTransferDlg::SetProgressPos(int pos) {
    OnUiThread([&] {
        FlushSteps();
        m_progress->SetPos(pos);
    });
}

void CTransferDlg::StepProgress() {
    if (QThread::currentThread() == thread()) {
        FlushSteps();
        m_progress->StepIt();
    } else {
        QueueStep();
    }
}

void CTransferDlg::UpdateByteCount(int nTotal) {
    OnUiThread([this, nTotal] {
        FlushSteps();
        m_strBytes = QString::asprintf("%d of %d", nTotal, CONFIG_IMAGE_BYTES);
        m_editBytes->setText(m_strBytes);
    });
}

void CTransferDlg::EnableControls() {
    OnUiThread([this] {
        FlushSteps();
        m_progress->setEnabled(true);
        SetTransferControlsEnabled(true);
    });
}

void CTransferDlg::SetCaption(const std::string& caption) {
    OnUiThread([&] {
        FlushSteps();
        setWindowTitle(QString::fromStdString(caption));
    });
}

void CTransferDlg::ShowMessageBox(const std::string& text, const std::string& caption) {
    OnUiThread([&] {
        FlushSteps();
        MessageBox(QString::fromStdString(text), QString::fromStdString(caption),
                   QMessageBox::NoIcon);
    });
}

void CTransferDlg::UploadNotWhole(const CConfigCheck& check) {
    // Findings listed one by one; the rest are summed up in the reasons.
    constexpr std::size_t kFindingsShown = 3;
    const bool bDamaged = !check.IsValid();
    const auto& findings = bDamaged ? check.Problems() : check.Warnings();
    std::string text = (bDamaged ? "The configuration received is damaged: "
                                 : "The configuration received is not complete: ") +
                       CConfigCheck::ReasonList(findings) + ".\n";
    for (std::size_t i = 0; i < findings.size() && i < kFindingsShown; ++i) {
        text += CConfigCheck::Describe(findings[i]) + "\n";
    }
    text += "The configuration held before is kept. Please upload again.";
    ShowMessageBox(text, bDamaged ? "Upload Damaged" : "Upload Incomplete");
}

void CTransferDlg::PostTransferStep() {
    QueueStep();
}

void CTransferDlg::PostTransferCount() {
    QMetaObject::invokeMethod(this, &CTransferDlg::OnTransferCount, Qt::QueuedConnection);
}

void CTransferDlg::PostTransferDone() {
    QMetaObject::invokeMethod(this, &CTransferDlg::OnTransferDone, Qt::QueuedConnection);
}

// Progress steps come once a byte; they are counted here and reach the bar in
// batches, at the latest kStepFlushMs after the first of a batch, and before
// any other update so that the order is kept.
void CTransferDlg::QueueStep() {
    if (m_nPendingSteps.fetch_add(1) == 0) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_stepTimer->isActive()) {
                    m_stepTimer->start();
                }
            },
            Qt::QueuedConnection);
    }
}

void CTransferDlg::FlushSteps() {
    const int n = m_nPendingSteps.exchange(0);
    if (n > 0) {
        m_progress->StepIt(n);
    }
}

void CTransferDlg::OnTransferStep() {
    FlushSteps();
}

void CTransferDlg::OnTransferCount() {
    UpdateByteCount(m_session.m_nTotal);
}

void CTransferDlg::OnTransferDone() {
    FlushSteps();
    // A finished upload shows a full bar.
    m_progress->SetPos(m_progress->GetUpper());
}

#include "gui/CTransferDlg.h"

#include "gui/CDialogUnits.h"
#include "gui/CPortList.h"
#include "gui/CProgressCtrl.h"
#include "settings/CSystemContext.h"

#include <QComboBox>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QThread>
#include <QTimer>

CTransferDlg::CTransferDlg(IPrompter& prompter, CSystemContext& context, QWidget* parent)
    : QDialog(parent), m_port(context.Paths()) {
    CreateControls();
    m_pPresenter = std::make_unique<CTransferPresenter>(*this, prompter, context, m_port);
}

// The presenter stops and waits for its worker, which refers to this dialog.
CTransferDlg::~CTransferDlg() = default;

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
    m_progress->SetStep(1);  // a step is a byte
    m_progress->setGeometry(du.Rect(54, 159, 227, 14));
    m_lbStatus = new QListWidget(this);
    m_lbStatus->setGeometry(du.Rect(54, 176, 228, 53));
    m_lbStatus->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Long status lines wrap, so that none needs scrolling sideways.
    m_lbStatus->setWordWrap(true);
    m_lbStatus->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lbStatus->setResizeMode(QListView::Adjust);
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
    // The line format is fixed by the port: 8 data bits, no parity, 1 stop
    // bit, no flow control. These lists only show it.
    m_cbDataBits->setCurrentIndex(1);
    m_cbFlowControl->setCurrentIndex(1);
    for (QComboBox* cb : {m_cbParity, m_cbDataBits, m_cbStopBits, m_cbFlowControl}) {
        cb->setEnabled(false);
    }
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
    connect(m_btnTransfer, &QPushButton::clicked, this,
            [this] { m_pPresenter->OnStartTransfer(); });
    connect(m_cbPort, &QComboBox::currentIndexChanged, this,
            [this](int row) { m_pPresenter->OnSelchangePort(row); });
    connect(m_cbPort, &CPortList::opening, this, [this] { m_pPresenter->OnPortListOpening(); });
    connect(m_cbBaudRate, &QComboBox::currentIndexChanged, this,
            [this](int row) { m_pPresenter->OnSelchangeBaudrate(row); });
}

int CTransferDlg::DoModal(CQARNCfgDoc* pDoc, ETransferMode nMode, bool bCompare) {
    m_pPresenter->OnInitDialog(*pDoc, nMode, bCompare);
    return exec();
}

void CTransferDlg::accept() {
    m_pPresenter->OnOK();
}

void CTransferDlg::reject() {
    m_pPresenter->OnCancel();
}

// -- drawing --------------------------------------------------------------------

void CTransferDlg::SetCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
}

void CTransferDlg::AddStatusLine(const std::string& line) {
    m_lbStatus->addItem(QString::fromStdString(line));
    m_lbStatus->scrollToBottom();
}

void CTransferDlg::InsertStatusLine(int index, const std::string& line) {
    m_lbStatus->insertItem(index, QString::fromStdString(line));
}

void CTransferDlg::ClearStatusLines() {
    m_lbStatus->clear();
}

void CTransferDlg::SetProgressRange(int upper) {
    m_progress->SetRange32(0, upper);
}

void CTransferDlg::SetProgressPos(int pos) {
    m_progress->SetPos(pos);
}

void CTransferDlg::StepProgress(int steps) {
    m_progress->StepIt(steps);
}

void CTransferDlg::SetByteCount(const std::string& text) {
    m_editBytes->setText(QString::fromStdString(text));
}

void CTransferDlg::EnableControls(const CDialogControls& enabled) {
    m_progress->setEnabled(true);
    m_btnTransfer->setEnabled(enabled.bTransfer);
    m_cbBaudRate->setEnabled(enabled.bBaudRate);
    m_cbPort->setEnabled(enabled.bPort);
    m_btnExit->setEnabled(enabled.bExit);
}

void CTransferDlg::ShowPorts(const std::vector<CPortEntry>& entries, int selected) {
    m_cbPort->SetEntries(entries, selected);
}

void CTransferDlg::ShowBaudRates(const std::vector<std::string>& rates, int selected) {
    const QSignalBlocker block(m_cbBaudRate);
    m_cbBaudRate->clear();
    for (const std::string& rate : rates) {
        m_cbBaudRate->addItem(QString::fromStdString(rate));
    }
    m_cbBaudRate->setCurrentIndex(selected);
}

void CTransferDlg::FocusExit() {
    m_btnTransfer->setDefault(false);
    m_btnExit->setDefault(true);
    m_btnExit->setFocus();
}

void CTransferDlg::EndDialog() {
    done(1);
}

// -- the hand-over --------------------------------------------------------------

void CTransferDlg::Invoke(const std::function<void()>& call) {
    if (QThread::currentThread() == thread()) {
        call();
        return;
    }
    // Qt hands the call over in ways that thread checkers cannot see; the
    // counter states the order outright: what either thread did before the
    // call happens before what the other does after it.
    m_nHandoffs.fetch_add(1, std::memory_order_release);
    QMetaObject::invokeMethod(
        this,
        [this, &call] {
            m_nHandoffs.load(std::memory_order_acquire);
            call();
            m_nHandoffs.fetch_add(1, std::memory_order_release);
        },
        Qt::BlockingQueuedConnection);
    m_nHandoffs.load(std::memory_order_acquire);
}

void CTransferDlg::Post(std::function<void()> call) {
    // Dropped with the dialog: Qt delivers nothing to a destroyed receiver.
    // The counter states the order, as for Invoke: what the poster did before
    // happens before the call.
    m_nHandoffs.fetch_add(1, std::memory_order_release);
    QMetaObject::invokeMethod(
        this,
        [this, call = std::move(call)] {
            m_nHandoffs.load(std::memory_order_acquire);
            call();
        },
        Qt::QueuedConnection);
}

void CTransferDlg::ServeFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

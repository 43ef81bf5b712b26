// What the transfer dialog's widgets add to its presenter: the controls and
// lists drawn in dialog units, the port list widget, the ways of closing, the
// progress bar, and the hand-over of the worker's calls to the interface
// thread.
#include "gui/CTransferDlg.h"

#include "core/data/CRecordList.h"
#include "gui/CPortList.h"
#include "gui/CProgressCtrl.h"
#include "tests/support/CFakeSysfs.h"
#include "tests/support/CPtyDevice.h"
#include "tests/support/CQtTestApp.h"
#include "tests/support/CScriptedPrompter.h"
#include "tests/support/CTestConfig.h"
#include "tests/support/CTestContext.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <set>
#include <thread>

namespace {

QStringList Items(const QComboBox* cb) {
    QStringList items;
    for (int i = 0; i < cb->count(); ++i) {
        items << cb->itemText(i);
    }
    return items;
}

// The dialog on a machine of the test's own making, with a profile in memory
// and a user who answers from a script; COM1 and COM2 lead into its /dev.
class CTransferDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_recordList.RemoveAll();
        m_context.Ports().SetDevice(1, m_sys.Node("ttyS0"));
        m_context.Ports().SetDevice(2, m_sys.Node("ttyS1"));
    }
    void TearDown() override { g_recordList.RemoveAll(); }

    // What DoModal does before its modal loop.
    void Open(ETransferMode eMode) {
        m_dlg.Presenter().SetTiming(CTestConfig::Timing());
        m_dlg.Presenter().OnInitDialog(m_doc, eMode);
    }
    QStringList StatusLines() const {
        QStringList lines;
        for (int i = 0; i < m_dlg.m_lbStatus->count(); ++i) {
            lines << m_dlg.m_lbStatus->item(i)->text();
        }
        return lines;
    }

    CFakeSysfs m_sys;
    CSystemContext m_context = CTestContext::Make(m_sys.Paths());
    CQARNCfgDoc m_doc;
    CScriptedPrompter m_user;
    CTransferDlg m_dlg{m_user, m_context};
};

TEST_F(CTransferDlgTest, ShowsEveryControlWithItsTextAndList) {
    Open(ETransferMode::Upload);

    EXPECT_EQ(m_dlg.windowTitle(), "Tovrik - QARN Data Backup/Restore");
    EXPECT_EQ(m_dlg.m_btnExit->text(), "Exit");
    EXPECT_TRUE(m_dlg.m_btnExit->isDefault());
    EXPECT_EQ(m_dlg.m_btnCancel->text(), "Cancel");
    EXPECT_EQ(m_dlg.m_btnTransfer->text(), "Transfer Configuration");
    std::set<QString> labels;
    for (const QLabel* label : m_dlg.findChildren<QLabel*>()) {
        labels.insert(label->text());
    }
    EXPECT_EQ(labels,
              (std::set<QString>{"Baud Rate:", "Port:", "Data bits:", "Parity:", "Stop bits:",
                                 "Flow Control:", "Working:", "Status:", "Bytes:"}));
    std::set<QString> groups;
    for (const QGroupBox* group : m_dlg.findChildren<QGroupBox*>()) {
        groups.insert(group->title());
    }
    EXPECT_EQ(groups, (std::set<QString>{"Communications Setup", "Status"}));

    EXPECT_EQ(Items(m_dlg.m_cbBaudRate),
              (QStringList{"1200", "2400", "4800", "9600", "14400", "19200", "38400"}));
    EXPECT_EQ(m_dlg.m_cbBaudRate->currentText(), "9600");
    EXPECT_EQ(Items(m_dlg.m_cbPort).size(), 3) << "COM1, COM2, Other…";
    EXPECT_EQ(Items(m_dlg.m_cbPort).last(), "Other…");
    EXPECT_EQ(StatusLines(), QStringList{"Ready to Upload."});
    EXPECT_EQ(m_dlg.m_editBytes->text(), "0 of 196642");
    EXPECT_TRUE(m_dlg.m_editBytes->isReadOnly());
    EXPECT_EQ(m_dlg.m_progress->GetUpper(), 196642);
    for (QWidget* usable : std::initializer_list<QWidget*>{m_dlg.m_cbPort, m_dlg.m_cbBaudRate,
                                                           m_dlg.m_btnTransfer, m_dlg.m_btnExit}) {
        EXPECT_TRUE(usable->isEnabled());
    }

    // The line format is the port's own: these lists only show it.
    const std::pair<QComboBox*, QStringList> fixed[] = {
        {m_dlg.m_cbDataBits, {"7", "8"}},
        {m_dlg.m_cbParity, {"NONE", "EVEN", "ODD"}},
        {m_dlg.m_cbStopBits, {"1", "1.5", "2"}},
        {m_dlg.m_cbFlowControl, {"Hardware", "None", "Xon/Xoff"}},
    };
    const QStringList shown{"8", "NONE", "1", "None"};
    for (std::size_t i = 0; i < std::size(fixed); ++i) {
        EXPECT_EQ(Items(fixed[i].first), fixed[i].second);
        EXPECT_EQ(fixed[i].first->currentText(), shown[static_cast<qsizetype>(i)]);
        EXPECT_FALSE(fixed[i].first->isEnabled());
    }
}

// The layout comes from dialog units converted with today's font: nothing may
// overlap, run out of its group or out of the window, and every text must fit.
TEST_F(CTransferDlgTest, LaysOutControlsWithoutOverlapAtTodaysFont) {
    Open(ETransferMode::Upload);
    QList<QWidget*> controls;
    QList<QGroupBox*> groups = m_dlg.findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly);
    for (QWidget* w : m_dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QGroupBox*>(w) == nullptr) {
            controls << w;
        }
    }
    ASSERT_EQ(controls.size(), 21);  // 12 controls and 9 labels
    ASSERT_EQ(groups.size(), 2);

    for (QWidget* w : controls) {
        SCOPED_TRACE(w->metaObject()->className());
        EXPECT_TRUE(m_dlg.rect().contains(w->geometry())) << w->geometry().x();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            SCOPED_TRACE(label->text().toStdString());
            EXPECT_GE(label->width(), label->sizeHint().width());
        }
        if (auto* button = qobject_cast<QPushButton*>(w)) {
            EXPECT_GE(button->width(), button->sizeHint().width());
        }
        for (QWidget* other : controls) {
            if (other != w) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                    << other->metaObject()->className();
            }
        }
    }
    // Exit and Cancel stand below both groups; everything else inside one.
    for (QWidget* w : controls) {
        if (w == m_dlg.m_btnExit || w == m_dlg.m_btnCancel) {
            continue;
        }
        const bool inside = groups[0]->geometry().contains(w->geometry()) ||
                            groups[1]->geometry().contains(w->geometry());
        EXPECT_TRUE(inside) << w->metaObject()->className();
    }
    const QGroupBox* setup = groups[0]->title() == "Status" ? groups[1] : groups[0];
    const QGroupBox* status = groups[0]->title() == "Status" ? groups[0] : groups[1];
    EXPECT_TRUE(setup->geometry().contains(m_dlg.m_cbFlowControl->geometry()));
    EXPECT_TRUE(status->geometry().contains(m_dlg.m_editBytes->geometry()));
}

// Closed, the port list shows short names in its place; open, whole entries,
// read anew. A row chosen, "Other…" included, goes to the presenter.
TEST_F(CTransferDlgTest, ThePortListShowsShortNamesAndReadsItsEntriesWhenOpened) {
    const std::string ftdiById = CFakeSysfs::kFtdiById;
    const QString ftdi =
        QString::fromStdString(ftdiById + " – FTDI FT232R USB UART (0403:6001, serial A50285BI)");
    m_sys.AddUsbSerial("ttyUSB0", "1-1", CFakeSysfs::kFtdi, ftdiById);
    ASSERT_FALSE(m_context.Profile().WriteProfileInt("INITALISATION", "CPSEL", 1));
    Open(ETransferMode::Upload);
    m_dlg.show();

    EXPECT_EQ(m_dlg.m_cbPort->ShownText(), "COM2");
    EXPECT_EQ(m_dlg.m_cbPort->toolTip(), Items(m_dlg.m_cbPort)[1]);
    EXPECT_EQ(m_dlg.m_cbPort->width(), m_dlg.m_cbBaudRate->width());
    EXPECT_GT(m_dlg.m_cbPort->view()->minimumWidth(),
              m_dlg.m_cbPort->fontMetrics().horizontalAdvance(ftdi));

    m_sys.AddUsbSerial("ttyUSB1", "1-3", {"1a86", "7523", "", "", ""});
    EXPECT_EQ(m_dlg.m_cbPort->count(), 4) << "nothing changes while the list is closed";
    m_dlg.m_cbPort->showPopup();
    m_dlg.m_cbPort->hidePopup();
    EXPECT_EQ(m_dlg.m_cbPort->count(), 5);
    EXPECT_EQ(m_dlg.m_cbPort->currentIndex(), 1) << "the choice stays";

    m_dlg.m_cbPort->setCurrentIndex(static_cast<int>(Items(m_dlg.m_cbPort).indexOf(ftdi)));
    EXPECT_EQ(m_dlg.m_cbPort->ShownText(), "ttyUSB0");
    EXPECT_EQ(m_dlg.m_cbPort->toolTip(), ftdi);
    EXPECT_EQ(m_context.Profile().GetProfileString("INITALISATION", "CPDEVICE"),
              m_sys.ById(ftdiById));
    m_user.QueueText("");
    m_dlg.m_cbPort->setCurrentIndex(m_dlg.m_cbPort->count() - 1);
    EXPECT_TRUE(m_user.ScriptUsed()) << "Other… asks for a port";
    EXPECT_EQ(m_dlg.m_cbPort->ShownText(), "ttyUSB0") << "cancelled: back to the port before";
}

TEST_F(CTransferDlgTest, EveryWayOfClosingGivesOne) {
    const std::function<void(CTransferDlg&)> ways[] = {
        [](CTransferDlg& dlg) { dlg.m_btnExit->click(); },
        [](CTransferDlg& dlg) {
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(&dlg, &enter);
        },
        [](CTransferDlg& dlg) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&dlg, &esc);
        },
        [](CTransferDlg& dlg) { dlg.close(); },
    };
    for (const auto& way : ways) {
        CTransferDlg dlg(m_user, m_context);
        QTimer::singleShot(0, &dlg, [&] { way(dlg); });
        EXPECT_EQ(dlg.DoModal(&m_doc, ETransferMode::Download), 1);
        EXPECT_TRUE(dlg.isHidden());
    }
}

TEST(CProgressCtrlTest, ManyStepsAtOnceMoveLikeSingleSteps) {
    for (int count = 0; count <= 25; ++count) {
        SCOPED_TRACE(count);
        CProgressCtrl batch;
        CProgressCtrl single;
        for (CProgressCtrl* bar : {&batch, &single}) {
            bar->SetRange32(0, 9);
            bar->SetStep(1);
            bar->SetPos(7);
        }
        batch.StepIt(count);
        for (int i = 0; i < count; ++i) {
            single.StepIt();
        }
        EXPECT_EQ(batch.GetPos(), single.GetPos());
    }
    CProgressCtrl bar;
    bar.SetRange32(0, 9);
    bar.SetStep(1);
    bar.SetPos(9);
    bar.StepIt();
    EXPECT_EQ(bar.GetPos(), 0);  // past the end it starts again
}

TEST(CProgressCtrlTest, PositionStaysInsideTheRange) {
    CProgressCtrl bar;
    bar.SetRange32(0, 196642);
    bar.SetPos(100);
    EXPECT_EQ(bar.GetPos(), 100);
    EXPECT_EQ(bar.value(), 100);
    bar.SetPos(300000);
    EXPECT_EQ(bar.GetPos(), 196642);
    bar.SetRange32(0, 50);
    EXPECT_EQ(bar.GetPos(), 50);

    // An empty range (a download of a document with no file size) is an
    // empty bar, not a busy indicator.
    bar.SetRange32(0, 0);
    bar.SetStep(1);
    bar.StepIt(5);
    EXPECT_EQ(bar.GetPos(), 0);
    EXPECT_LT(bar.minimum(), bar.maximum());
    EXPECT_EQ(bar.value(), 0);
}

// The worker's calls reach the widgets in the order made, each step of the
// bar one place, and the steps of a burst in one hand-over.
TEST_F(CTransferDlgTest, WorkerCallsReachTheWidgetsInOrderAndStepsInBatches) {
    Open(ETransferMode::Upload);
    int handOvers = 0;
    struct CCounter : QObject {
        int& n;
        explicit CCounter(int& count) : n(count) {}
        bool eventFilter(QObject*, QEvent* event) override {
            n += event->type() == QEvent::MetaCall ? 1 : 0;
            return false;
        }
    } counter(handOvers);
    m_dlg.installEventFilter(&counter);
    CTransferView& view = m_dlg.Presenter();

    std::thread([&] {
        for (int i = 0; i < 1000; ++i) {
            view.StepProgress();
        }
    }).join();
    ASSERT_TRUE(CQtTestApp::ServeUntil([&] { return m_dlg.m_progress->GetPos() == 1000; }));
    EXPECT_EQ(handOvers, 1);

    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 5; ++i) {
            view.StepProgress();
        }
        view.SetProgressPos(2);
        view.AddStatus("Uploading data.");
        view.InsertStatus(0, "first");
        view.UpdateByteCount(7);
        view.SetCaption("caption");
        for (int i = 0; i < 7; ++i) {
            view.PostTransferStep();
        }
        view.PostTransferDone();
        done = true;
    });
    const bool served = CQtTestApp::ServeUntil([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(served);
    ASSERT_TRUE(CQtTestApp::ServeUntil([&] { return m_dlg.m_progress->GetPos() == 196642; }))
        << "a finished upload shows a full bar, after the steps before it";
    EXPECT_EQ(StatusLines(), (QStringList{"first", "Ready to Upload.", "Uploading data."}));
    EXPECT_EQ(m_dlg.m_editBytes->text(), "7 of 196642");
    EXPECT_EQ(m_dlg.windowTitle(), "caption");
    m_dlg.removeEventFilter(&counter);
}

// Exit and Cancel wait for the worker, which waits for the interface thread in
// each of its calls: while they wait, it must still be served.
TEST_F(CTransferDlgTest, ClosingKeepsServingABusyWorker) {
    for (const bool bCancel : {false, true}) {
        SCOPED_TRACE(bCancel ? "Cancel" : "Exit");
        CPtyDevice device;
        ASSERT_TRUE(device.Ok()) << device.Error();
        m_context.Ports().SetDevice(1, device.Path());
        CTestConfig::Load(m_doc, CTestConfig::Lines(200));
        CTransferDlg dlg(m_user, m_context);
        dlg.Presenter().SetTiming(CTestConfig::Timing());
        dlg.Presenter().OnInitDialog(m_doc, ETransferMode::Download);
        m_user.QueueAnswer(EAnswer::Yes);  // a short configuration goes out all the same
        dlg.m_btnTransfer->click();
        ASSERT_TRUE(
            CQtTestApp::ServeUntil([&] { return dlg.m_editBytes->text() != "0 of 196642"; }));

        const std::size_t nBoxes = m_user.Boxes().size();
        QDialog& window = dlg;
        bCancel ? window.reject() : window.accept();
        EXPECT_FALSE(dlg.Presenter().Session().IsRunning());
        EXPECT_EQ(dlg.result(), 1);
        EXPECT_EQ(dlg.Presenter().Session().Outcome(), ETransferOutcome::Aborted);
        EXPECT_EQ(dlg.m_lbStatus->item(0)->text(), "Downloading data.");
        ASSERT_EQ(m_user.Boxes().size(), nBoxes + (bCancel ? 1 : 0));
        if (bCancel) {
            EXPECT_EQ(m_user.Texts().back(), "Download aborted.\nPlease power cycle QARN.");
        }
    }
}

}  // namespace

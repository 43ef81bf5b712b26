// The dialog as it opens: controls, lists, selections and the two remembered
// settings.
#include "gui/CProgressCtrl.h"
#include "support/CPtyDevice.h"
#include "support/CTestTransferDlg.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <set>

namespace {

QStringList Items(const QComboBox* cb) {
    QStringList items;
    for (int i = 0; i < cb->count(); ++i) {
        items << cb->itemText(i);
    }
    return items;
}

class CTransferDlgTest : public ::testing::Test {
protected:
    void SetUp() override { CTestTransferDlg::ClearProfile(); }

    static bool Stored(const char* key) {
        return CTestTransferDlg::Profile().contains(QStringLiteral("INITALISATION/") + key);
    }
    static int StoredInt(const char* key) {
        return CTestTransferDlg::Profile().value(QStringLiteral("INITALISATION/") + key).toInt();
    }

    CQARNCfgDoc m_doc;
};

TEST_F(CTransferDlgTest, ShowsEveryControlWithItsTextAndList) {
    CTestTransferDlg dlg;
    dlg.Init(&m_doc, ETransferMode::Download);

    EXPECT_EQ(dlg.windowTitle(), "Tovrik - QARN Data Backup/Restore");
    EXPECT_EQ(dlg.m_btnExit->text(), "Exit");
    EXPECT_TRUE(dlg.m_btnExit->isDefault());
    EXPECT_EQ(dlg.m_btnCancel->text(), "Cancel");
    EXPECT_EQ(dlg.m_btnTransfer->text(), "Transfer Configuration");

    std::set<QString> labels;
    for (const QLabel* label : dlg.findChildren<QLabel*>()) {
        labels.insert(label->text());
    }
    EXPECT_EQ(labels,
              (std::set<QString>{"Baud Rate:", "Port:", "Data bits:", "Parity:", "Stop bits:",
                                 "Flow Control:", "Working:", "Status:", "Bytes:"}));
    std::set<QString> groups;
    for (const QGroupBox* group : dlg.findChildren<QGroupBox*>()) {
        groups.insert(group->title());
    }
    EXPECT_EQ(groups, (std::set<QString>{"Communications Setup", "Status"}));

    EXPECT_EQ(Items(dlg.m_cbBaudRate),
              (QStringList{"1200", "2400", "4800", "9600", "14400", "19200", "38400"}));
    // The ports of the machine come between COM2 and "Other…".
    const QStringList ports = Items(dlg.m_cbPort);
    ASSERT_GE(ports.size(), 3);
    EXPECT_TRUE(ports[0].startsWith("COM1 (/dev/")) << ports[0].toStdString();
    EXPECT_TRUE(ports[1].startsWith("COM2 (/dev/")) << ports[1].toStdString();
    EXPECT_EQ(ports.last(), "Other…");
    EXPECT_EQ(Items(dlg.m_cbDataBits), (QStringList{"7", "8"}));
    EXPECT_EQ(Items(dlg.m_cbParity), (QStringList{"NONE", "EVEN", "ODD"}));
    EXPECT_EQ(Items(dlg.m_cbStopBits), (QStringList{"1", "1.5", "2"}));
    EXPECT_EQ(Items(dlg.m_cbFlowControl), (QStringList{"Hardware", "None", "Xon/Xoff"}));
    EXPECT_TRUE(dlg.m_editBytes->isReadOnly());
}

// The layout comes from dialog units converted with today's font: nothing may
// overlap, run out of its group or out of the window, and every text must fit.
TEST_F(CTransferDlgTest, LaysOutControlsWithoutOverlapAtTodaysFont) {
    CTestTransferDlg dlg;
    dlg.Init(&m_doc, ETransferMode::Upload);
    QList<QWidget*> controls;
    QList<QGroupBox*> groups = dlg.findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly);
    for (QWidget* w : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QGroupBox*>(w) == nullptr) {
            controls << w;
        }
    }
    ASSERT_EQ(controls.size(), 21);  // 12 controls and 9 labels
    ASSERT_EQ(groups.size(), 2);

    for (QWidget* w : controls) {
        SCOPED_TRACE(w->metaObject()->className());
        EXPECT_TRUE(dlg.rect().contains(w->geometry())) << w->geometry().x();
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
        if (w == dlg.m_btnExit || w == dlg.m_btnCancel) {
            continue;
        }
        const bool inside = groups[0]->geometry().contains(w->geometry()) ||
                            groups[1]->geometry().contains(w->geometry());
        EXPECT_TRUE(inside) << w->metaObject()->className();
    }
    const QGroupBox* setup = groups[0]->title() == "Status" ? groups[1] : groups[0];
    const QGroupBox* status = groups[0]->title() == "Status" ? groups[0] : groups[1];
    EXPECT_TRUE(setup->geometry().contains(dlg.m_cbFlowControl->geometry()));
    EXPECT_TRUE(status->geometry().contains(dlg.m_editBytes->geometry()));
}

class CTransferDlgModeTest : public CTransferDlgTest,
                             public ::testing::WithParamInterface<ETransferMode> {};

TEST_P(CTransferDlgModeTest, FirstUseShowsDefaultsAndWritesNothing) {
    const ETransferMode mode = GetParam();
    m_doc.m_nFileSize = 1234;
    CTestTransferDlg dlg;
    dlg.Init(&m_doc, mode);

    EXPECT_EQ(dlg.m_cbBaudRate->currentText(), "9600");
    EXPECT_EQ(dlg.m_session.m_nBaudRate, 9600);
    EXPECT_EQ(m_doc.m_nBaudIndex, 3);
    EXPECT_EQ(dlg.m_cbPort->ShownText(), "COM1");
    EXPECT_EQ(dlg.m_session.m_nPort, 1);
    EXPECT_EQ(m_doc.m_nPortIndex, 0);

    EXPECT_EQ(dlg.m_cbParity->currentText(), "NONE");
    EXPECT_EQ(dlg.m_cbDataBits->currentText(), "8");
    EXPECT_EQ(dlg.m_cbStopBits->currentText(), "1");
    EXPECT_EQ(dlg.m_cbFlowControl->currentText(), "None");
    for (QComboBox* fixed :
         {dlg.m_cbParity, dlg.m_cbDataBits, dlg.m_cbStopBits, dlg.m_cbFlowControl}) {
        EXPECT_FALSE(fixed->isEnabled());
    }
    for (QWidget* usable : std::initializer_list<QWidget*>{dlg.m_cbPort, dlg.m_cbBaudRate,
                                                           dlg.m_btnTransfer, dlg.m_btnExit}) {
        EXPECT_TRUE(usable->isEnabled());
    }

    EXPECT_EQ(dlg.StatusLines(), QStringList{mode == ETransferMode::Download ? "Ready to Download."
                                                                             : "Ready to Upload."});
    EXPECT_EQ(dlg.m_progress->GetUpper(), mode == ETransferMode::Download ? 1234 : 196642);
    EXPECT_EQ(dlg.m_progress->GetPos(), 0);
    EXPECT_EQ(dlg.m_editBytes->text(), "0 of 196642");
    EXPECT_FALSE(Stored("BRSEL"));
    EXPECT_FALSE(Stored("CPSEL"));
}

INSTANTIATE_TEST_SUITE_P(BothModes, CTransferDlgModeTest,
                         ::testing::Values(ETransferMode::Download, ETransferMode::Upload),
                         [](const auto& info) {
                             return info.param == ETransferMode::Upload ? "Upload" : "Download";
                         });

TEST_F(CTransferDlgTest, StoredSelectionsAreShownAndGoToTheWorker) {
    CProfile::WriteProfileInt("INITALISATION", "BRSEL", 5);
    CProfile::WriteProfileInt("INITALISATION", "CPSEL", 1);
    CTestTransferDlg dlg;
    dlg.Init(&m_doc, ETransferMode::Upload);
    EXPECT_EQ(dlg.m_cbBaudRate->currentText(), "19200");
    EXPECT_EQ(dlg.m_cbPort->ShownText(), "COM2");
    EXPECT_EQ(dlg.m_session.m_nBaudRate, 19200);
    EXPECT_EQ(dlg.m_session.m_nPort, 2);
    EXPECT_EQ(m_doc.m_nBaudIndex, 5);
    EXPECT_EQ(m_doc.m_nPortIndex, 1);
}

// A value that names no entry would leave a blank list and port or baud 0.
TEST_F(CTransferDlgTest, ProfileValuesOutsideTheListsFallBackToCom1At9600) {
    const std::pair<int, int> stored[] = {{7, 2}, {-1, -1}, {12345, 99}};
    for (const auto& [baud, port] : stored) {
        SCOPED_TRACE(baud);
        CProfile::WriteProfileInt("INITALISATION", "BRSEL", baud);
        CProfile::WriteProfileInt("INITALISATION", "CPSEL", port);
        CTestTransferDlg dlg;
        dlg.Init(&m_doc, ETransferMode::Download);
        EXPECT_EQ(dlg.m_cbBaudRate->currentText(), "9600");
        EXPECT_EQ(dlg.m_session.m_nBaudRate, 9600);
        EXPECT_EQ(dlg.m_cbPort->ShownText(), "COM1");
        EXPECT_EQ(dlg.m_session.m_nPort, 1);
        EXPECT_EQ(StoredInt("BRSEL"), baud);  // only the user's choice rewrites it
    }
}

TEST_F(CTransferDlgTest, ChoosingABaudRateIsRememberedAtOnce) {
    {
        CTestTransferDlg dlg;
        dlg.Init(&m_doc, ETransferMode::Download);
        dlg.m_cbBaudRate->setCurrentIndex(6);
        EXPECT_EQ(StoredInt("BRSEL"), 6);
        EXPECT_FALSE(Stored("CPSEL"));
        EXPECT_EQ(dlg.m_session.m_nBaudRate, 38400);
        EXPECT_EQ(m_doc.m_nBaudIndex, 6);
    }
    CTestTransferDlg next;
    next.Init(&m_doc, ETransferMode::Download);
    EXPECT_EQ(next.m_cbBaudRate->currentText(), "38400");
    EXPECT_EQ(next.m_session.m_nBaudRate, 38400);
}

TEST_F(CTransferDlgTest, ChoosingAPortIsRememberedAndClosesTheOpenPort) {
    CPtyDevice device;
    ASSERT_TRUE(device.Ok()) << device.Error();
    CTestTransferDlg dlg;
    dlg.Init(&m_doc, ETransferMode::Download);
    ASSERT_TRUE(dlg.m_port.OpenDevice(device.Path(), 9600));

    dlg.m_cbPort->setCurrentIndex(1);
    EXPECT_FALSE(dlg.m_port.IsOpen());
    EXPECT_EQ(StoredInt("CPSEL"), 1);
    EXPECT_FALSE(Stored("BRSEL"));
    EXPECT_EQ(dlg.m_session.m_nPort, 2);
    EXPECT_EQ(m_doc.m_nPortIndex, 1);
    EXPECT_EQ(dlg.m_session.m_nBaudRate, 9600);
}

TEST_F(CTransferDlgTest, SelectedBaudReadsTheEntryAtTheDocumentsIndex) {
    CTestTransferDlg dlg;
    dlg.Init(&m_doc, ETransferMode::Download);
    m_doc.m_nBaudIndex = 0;
    EXPECT_EQ(dlg.GetSelectedBaud(), 1200);
    m_doc.m_nBaudIndex = 4;
    EXPECT_EQ(dlg.GetSelectedBaud(), 14400);
    m_doc.m_nBaudIndex = 7;
    EXPECT_EQ(dlg.GetSelectedBaud(), 0);
}

}  // namespace

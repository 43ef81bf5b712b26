#include "tests/support/CAppTest.h"

#include "gui/CCommandTable.h"
#include "gui/CConfigView.h"
#include "gui/CLockKeyState.h"
#include "gui/CMainFrame.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <memory>
#include <vector>

namespace {

class MainFrameTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        m_frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(m_frame->LoadFrame());
        m_frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
    }

    QToolButton* ButtonOf(int nID) const {
        return qobject_cast<QToolButton*>(
            m_frame->GetToolBar()->widgetForAction(m_frame->GetCommandAction(nID)));
    }

    void PressOnWindow(int key) const {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(m_frame->windowHandle(), &press);
    }

    std::unique_ptr<CMainFrame> m_frame;
};

TEST(FrameGeometry, HalfTheScreenCentred) {
    EXPECT_EQ(CMainFrame::FrameGeometry(QSize(1024, 768)), QRect(256, 192, 512, 384));
    EXPECT_EQ(CMainFrame::FrameGeometry(QSize(1366, 768)), QRect(341, 192, 683, 384));
    // Odd sizes drop the remainder at every step.
    EXPECT_EQ(CMainFrame::FrameGeometry(QSize(1367, 1023)), QRect(170 + 171, 127 + 128, 683, 511));
}

TEST_F(MainFrameTest, OpensAtFixedSizeOnThePrimaryScreen) {
    const QRect expected =
        CMainFrame::FrameGeometry(QGuiApplication::primaryScreen()->geometry().size());
    // Half the screen is the outer frame, the window manager's border included.
    EXPECT_EQ(m_frame->frameGeometry(), expected);
    EXPECT_EQ(m_frame->minimumSize(), m_frame->maximumSize());
    EXPECT_FALSE(m_frame->statusBar()->isSizeGripEnabled());

    const Qt::WindowFlags flags = m_frame->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(m_frame->windowTitle(), "Tovrik");
    EXPECT_EQ(m_frame->GetView()->parentWidget(), m_frame->centralWidget());
    EXPECT_FALSE(m_frame->windowIcon().isNull());
}

TEST_F(MainFrameTest, MenuHoldsEveryCommandWithMnemonicsAndShortcuts) {
    struct Item {
        const char* popup;
        const char* text;  // "" for a separator
        const char* shortcut;
        int nID;
    };
    const std::vector<Item> expected = {
        {"&File", "&New", "Ctrl+N", ID_FILE_NEW},
        {"&File", "&Open...", "Ctrl+O", ID_FILE_OPEN},
        {"&File", "&Save", "Ctrl+S", ID_FILE_SAVE},
        {"&File", "Save &As...", "", ID_FILE_SAVE_AS},
        {"&File", "", "", 0},
        {"&File", "Download", "", ID_FILE_DOWNLOAD},
        {"&File", "Upload", "", ID_FILE_UPLOAD},
        {"&File", "Compare with &File...", "", ID_FILE_COMPARE_FILE},
        {"&File", "Compare with &Device...", "", ID_FILE_COMPARE_DEVICE},
        {"&File", "", "", 0},
        {"&File", "E&xit", "", ID_APP_EXIT},
        {"&View", "&Toolbar", "", ID_VIEW_TOOLBAR},
        {"&View", "&Status Bar", "", ID_VIEW_STATUS_BAR},
        {"&Help", "&About Tovrik...", "", ID_APP_ABOUT},
    };

    size_t count = 0;
    for (QAction* popupAction : m_frame->menuBar()->actions()) {
        ASSERT_NE(popupAction->menu(), nullptr);
        count += static_cast<size_t>(popupAction->menu()->actions().size());
    }
    ASSERT_EQ(count, expected.size());
    size_t i = 0;
    for (QAction* popupAction : m_frame->menuBar()->actions()) {
        for (QAction* action : popupAction->menu()->actions()) {
            const Item& item = expected[i++];
            SCOPED_TRACE(item.text);
            EXPECT_EQ(popupAction->text(), item.popup);
            if (item.nID == 0) {
                EXPECT_TRUE(action->isSeparator());
                continue;
            }
            EXPECT_EQ(action, m_frame->GetCommandAction(item.nID));
            EXPECT_EQ(action->text(), item.text);
            EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(item.shortcut)));
            EXPECT_TRUE(action->isEnabled());
        }
    }
}

TEST_F(MainFrameTest, CommandsLeaveThroughCommandIssued) {
    QSignalSpy spy(m_frame.get(), &CMainFrame::commandIssued);
    const int commands[] = {ID_FILE_NEW,          ID_FILE_OPEN,           ID_FILE_SAVE,
                            ID_FILE_SAVE_AS,      ID_FILE_DOWNLOAD,       ID_FILE_UPLOAD,
                            ID_FILE_COMPARE_FILE, ID_FILE_COMPARE_DEVICE, ID_APP_EXIT,
                            ID_APP_ABOUT};
    for (const int nID : commands) {
        m_frame->GetCommandAction(nID)->trigger();
    }
    ASSERT_EQ(spy.count(), static_cast<int>(std::size(commands)));
    for (size_t i = 0; i < std::size(commands); ++i) {
        EXPECT_EQ(spy.at(static_cast<int>(i)).at(0).toInt(), commands[i]);
    }
    // The View commands stay in the frame.
    m_frame->GetCommandAction(ID_VIEW_TOOLBAR)->trigger();
    m_frame->GetCommandAction(ID_VIEW_STATUS_BAR)->trigger();
    EXPECT_EQ(spy.count(), static_cast<int>(std::size(commands)));
}

TEST_F(MainFrameTest, KeyboardShortcutsReachTheirCommands) {
    m_frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    QSignalSpy spy(m_frame.get(), &CMainFrame::commandIssued);
    QTest::keyClick(m_frame.get(), Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(m_frame.get(), Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(m_frame.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(0).at(0).toInt(), ID_FILE_NEW);
    EXPECT_EQ(spy.at(1).at(0).toInt(), ID_FILE_OPEN);
    EXPECT_EQ(spy.at(2).at(0).toInt(), ID_FILE_SAVE);
}

TEST_F(MainFrameTest, ToolbarButtonsInOrderWithImagesAndTooltips) {
    QToolBar* toolBar = m_frame->GetToolBar();
    const QList<QAction*> actions = toolBar->actions();
    const int order[] = {ID_FILE_NEW,  ID_FILE_OPEN,     ID_FILE_SAVE,  0,
                         ID_APP_ABOUT, ID_FILE_DOWNLOAD, ID_FILE_UPLOAD};
    const char* tips[] = {"New", "Open", "Save", "", "About", "Download", "Upload"};
    ASSERT_EQ(actions.size(), static_cast<int>(std::size(order)));
    for (int i = 0; i < actions.size(); ++i) {
        SCOPED_TRACE(i);
        if (order[i] == 0) {
            EXPECT_TRUE(actions[i]->isSeparator());
            continue;
        }
        EXPECT_EQ(actions[i], m_frame->GetCommandAction(order[i]));
        EXPECT_FALSE(actions[i]->icon().isNull());
        EXPECT_EQ(ButtonOf(order[i])->toolTip(), tips[i]);
    }
    EXPECT_EQ(toolBar->iconSize(), QSize(16, 15));
    EXPECT_TRUE(toolBar->isMovable());
    EXPECT_EQ(toolBar->allowedAreas(), Qt::AllToolBarAreas);
    EXPECT_EQ(m_frame->toolBarArea(toolBar), Qt::TopToolBarArea);

    m_frame->addToolBar(Qt::LeftToolBarArea, toolBar);
    EXPECT_EQ(m_frame->toolBarArea(toolBar), Qt::LeftToolBarArea);
}

TEST_F(MainFrameTest, StatusBarShowsReadyAndTheHighlightedCommandsPrompt) {
    QStatusBar* statusBar = m_frame->GetStatusBar();
    QLabel* idle = m_frame->GetPane(AFX_IDS_IDLEMESSAGE);
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(idle->text(), "Ready");
    EXPECT_TRUE(idle->isVisible());

    // Resting the mouse on a toolbar button.
    QToolButton* upload = ButtonOf(ID_FILE_UPLOAD);
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(upload, &enter);
    EXPECT_EQ(statusBar->currentMessage(), "Upload configuration data");
    EXPECT_FALSE(idle->isVisible());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(upload, &leave);
    EXPECT_EQ(statusBar->currentMessage(), "");
    EXPECT_TRUE(idle->isVisible());

    // Highlighting menu items.
    const std::pair<int, const char*> prompts[] = {
        {ID_FILE_NEW, "Create a new document"},
        {ID_FILE_OPEN, "Open an existing document"},
        {ID_FILE_SAVE, "Save the active document"},
        {ID_FILE_SAVE_AS, "Save the active document with a new name"},
        {ID_FILE_DOWNLOAD, "Download configuration data"},
        {ID_FILE_UPLOAD, "Upload configuration data"},
        {ID_FILE_COMPARE_FILE, "Compare the configuration in memory with a file"},
        {ID_FILE_COMPARE_DEVICE,
         "Read the device's configuration and compare it with the one in memory"},
        {ID_APP_EXIT, "Quit the application; prompts to save documents"},
        {ID_VIEW_TOOLBAR, "Show or hide the toolbar"},
        {ID_VIEW_STATUS_BAR, "Show or hide the status bar"},
        {ID_APP_ABOUT, "Display program information, version number and copyright"},
    };
    for (const auto& [nID, prompt] : prompts) {
        m_frame->GetCommandAction(nID)->showStatusText(m_frame.get());
        EXPECT_EQ(statusBar->currentMessage(), prompt);
    }
}

TEST_F(MainFrameTest, ViewItemsHideAndShowTheBarsWithCheckMarks) {
    const std::pair<int, QWidget*> bars[] = {
        {ID_VIEW_TOOLBAR, m_frame->GetToolBar()},
        {ID_VIEW_STATUS_BAR, m_frame->GetStatusBar()},
    };
    for (const auto& [nID, bar] : bars) {
        QAction* item = m_frame->GetCommandAction(nID);
        ASSERT_TRUE(item->isCheckable());
        EXPECT_TRUE(item->isChecked());
        EXPECT_TRUE(bar->isVisible());
        item->trigger();
        EXPECT_FALSE(item->isChecked());
        EXPECT_FALSE(bar->isVisible());
        item->trigger();
        EXPECT_TRUE(item->isChecked());
        EXPECT_TRUE(bar->isVisible());
    }
    // Hidden another way, the toolbar still clears its mark.
    m_frame->GetToolBar()->hide();
    EXPECT_FALSE(m_frame->GetCommandAction(ID_VIEW_TOOLBAR)->isChecked());
}

TEST_F(MainFrameTest, LockIndicatorsFollowTheLockKeys) {
    QLabel* caps = m_frame->GetPane(ID_INDICATOR_CAPS);
    QLabel* num = m_frame->GetPane(ID_INDICATOR_NUM);
    QLabel* scroll = m_frame->GetPane(ID_INDICATOR_SCRL);
    ASSERT_TRUE(caps && num && scroll);
    EXPECT_EQ(caps->text(), "");
    EXPECT_EQ(num->text(), "");
    EXPECT_EQ(scroll->text(), "");

    // The press goes through the window to the focus widget and its parents;
    // it must count once.
    m_frame->GetView()->setFocus();
    QSignalSpy spy(m_frame->GetLockKeyState(), &CLockKeyState::changed);
    PressOnWindow(Qt::Key_CapsLock);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(caps->text(), "CAP");
    PressOnWindow(Qt::Key_NumLock);
    PressOnWindow(Qt::Key_ScrollLock);
    EXPECT_EQ(num->text(), "NUM");
    EXPECT_EQ(scroll->text(), "SCRL");

    PressOnWindow(Qt::Key_CapsLock);
    PressOnWindow(Qt::Key_A);
    EXPECT_EQ(caps->text(), "");
    EXPECT_EQ(num->text(), "NUM");
    EXPECT_EQ(scroll->text(), "SCRL");
}

TEST(LockKeyState, X11StateCorrectsCapsAndNumLock) {
    CLockKeyState state;
    QSignalSpy spy(&state, &CLockKeyState::changed);

    // Caps Lock and Num Lock were switched on while another program had the focus.
    state.OnKeyPress(Qt::Key_A, CLockKeyState::kX11LockMask | CLockKeyState::kX11NumLockMask, true);
    EXPECT_TRUE(state.IsCapsLockOn());
    EXPECT_TRUE(state.IsNumLockOn());
    EXPECT_EQ(spy.count(), 1);

    // The state of a Caps Lock press is the one before it.
    state.OnKeyPress(Qt::Key_CapsLock, CLockKeyState::kX11LockMask, true);
    EXPECT_FALSE(state.IsCapsLockOn());
    EXPECT_FALSE(state.IsNumLockOn());

    // Without X11 the native bits mean nothing.
    state.OnKeyPress(Qt::Key_A, 0xFF, false);
    EXPECT_FALSE(state.IsCapsLockOn());
    EXPECT_FALSE(state.IsScrollLockOn());
    EXPECT_EQ(spy.count(), 2);
}

}  // namespace

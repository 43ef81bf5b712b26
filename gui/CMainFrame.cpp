#include "gui/CMainFrame.h"

#include "gui/CCommandTable.h"
#include "gui/CConfigView.h"
#include "gui/CLockKeyState.h"
#include "gui/CStripWidget.h"
#include "gui/CSvgImage.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// Toolbar buttons are 16 x 15 pixels.
constexpr QSize kButtonImageSize(16, 15);

QStringList LocalFiles(const QMimeData* mime) {
    QStringList paths;
    if (mime == nullptr) {
        return paths;
    }
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    return paths;
}

}  // namespace

QRect CMainFrame::FrameGeometry(QSize screen) {
    const int height = screen.height() / 2;
    const int width = screen.width() / 2;
    const int top = height / 2;
    const int left = width / 2;
    return {left, top, width, height};
}

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("CMainFrame"));
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::LoadFrame() {
    PreCreateWindow();
    if (!OnCreate()) {
        return false;
    }
    OnCreateClient();
    setAcceptDrops(true);
    return true;
}

QAction* CMainFrame::GetCommandAction(int nID) const {
    const auto it = m_actions.find(nID);
    return it == m_actions.end() ? nullptr : it->second;
}

QLabel* CMainFrame::GetPane(int nID) const {
    const auto it = m_panes.find(nID);
    return it == m_panes.end() ? nullptr : it->second;
}

void CMainFrame::PreCreateWindow() {
    setWindowFlags(kFrameFlags);
    setWindowTitle(CCommandTable::LoadString(AFX_IDS_APP_TITLE));
    setWindowIcon(CSvgImage::AppIcon());
    const QScreen* screen = QGuiApplication::primaryScreen();
    m_frameRect = FrameGeometry(screen != nullptr ? screen->geometry().size() : QSize());
    setFixedSize(m_frameRect.size());
    move(m_frameRect.topLeft());
}

void CMainFrame::FitToFrame() {
    // The window manager's frame is known only once the window is shown; the
    // outer size, frame included, is what must be half the screen.
    const QSize decorations = frameGeometry().size() - size();
    const QSize client = m_frameRect.size() - decorations;
    if (client.isValid() && client != size()) {
        setFixedSize(client);
        move(m_frameRect.topLeft());
    }
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FitToFrame();
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    FitToFrame();
}

bool CMainFrame::OnCreate() {
    if (!CreateMenu() || !CreateToolBar()) {
        return false;
    }
    CreateStatusBar();
    return true;
}

void CMainFrame::OnCreateClient() {
    auto* client = new QWidget(this);
    m_pView = new CConfigView(client);
    m_pStrip = new CStripWidget(client);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pView, 1);
    layout->addWidget(m_pStrip);
    setCentralWidget(client);
}

bool CMainFrame::CreateMenu() {
    QMenu* popup = nullptr;
    QString popupTitle;
    for (const CMenuEntry& entry : CCommandTable::Menu()) {
        const QString title = QString::fromUtf8(entry.pszPopup);
        if (popup == nullptr || title != popupTitle) {
            popup = menuBar()->addMenu(title);
            popupTitle = title;
        }
        if (entry.nID == ID_SEPARATOR) {
            popup->addSeparator();
            continue;
        }
        if (CCommandTable::LoadString(entry.nID).isEmpty()) {
            return false;
        }
        auto* action = new QAction(CCommandTable::MenuText(entry), this);
        action->setObjectName(QString::number(entry.nID));
        action->setStatusTip(CCommandTable::Prompt(entry.nID));
        action->setToolTip(CCommandTable::ToolTip(entry.nID));
        const QString shortcut = CCommandTable::MenuShortcut(entry);
        if (!shortcut.isEmpty()) {
            action->setShortcut(QKeySequence(shortcut, QKeySequence::PortableText));
        }
        popup->addAction(action);
        m_actions[entry.nID] = action;
        if (entry.nID == ID_VIEW_TOOLBAR || entry.nID == ID_VIEW_STATUS_BAR) {
            action->setCheckable(true);
            action->setChecked(true);
        } else {
            const int nID = entry.nID;
            connect(action, &QAction::triggered, this, [this, nID] { emit commandIssued(nID); });
        }
    }
    return true;
}

bool CMainFrame::CreateToolBar() {
    m_wndToolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_wndToolBar->setObjectName(QStringLiteral("ToolBar"));
    m_wndToolBar->setIconSize(kButtonImageSize);
    m_wndToolBar->setMovable(true);
    m_wndToolBar->setFloatable(true);
    m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_wndToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const CToolBarEntry& entry : CCommandTable::ToolBar()) {
        if (entry.nID == ID_SEPARATOR) {
            m_wndToolBar->addSeparator();
            continue;
        }
        QAction* action = GetCommandAction(entry.nID);
        const QIcon icon = CSvgImage::Icon(QString::fromUtf8(entry.pszImage), kButtonImageSize);
        if (action == nullptr || icon.isNull()) {
            return false;
        }
        action->setIcon(icon);
        // Menu items show the text only, as the toolbar images belong to the buttons.
        action->setIconVisibleInMenu(false);
        m_wndToolBar->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);

    QAction* toggle = GetCommandAction(ID_VIEW_TOOLBAR);
    connect(toggle, &QAction::toggled, m_wndToolBar, &QToolBar::setVisible);
    connect(m_wndToolBar, &QToolBar::visibilityChanged, toggle,
            [this, toggle] { toggle->setChecked(!m_wndToolBar->isHidden()); });
    return true;
}

void CMainFrame::CreateStatusBar() {
    m_wndStatusBar = new QStatusBar(this);
    m_wndStatusBar->setObjectName(QStringLiteral("StatusBar"));
    m_wndStatusBar->setSizeGripEnabled(false);  // the window has a fixed size
    setStatusBar(m_wndStatusBar);

    // The idle text is a normal widget, which the status bar hides while it
    // shows a command's prompt.
    auto* idle = new QLabel(CCommandTable::LoadString(AFX_IDS_IDLEMESSAGE), m_wndStatusBar);
    m_wndStatusBar->addWidget(idle, 1);
    m_panes[AFX_IDS_IDLEMESSAGE] = idle;

    const QFontMetrics metrics(m_wndStatusBar->font());
    for (const int nID : {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL}) {
        auto* pane = new QLabel(m_wndStatusBar);
        pane->setAlignment(Qt::AlignCenter);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setMinimumWidth(metrics.horizontalAdvance(CCommandTable::LoadString(nID)) + 8);
        m_wndStatusBar->addPermanentWidget(pane);
        m_panes[nID] = pane;
    }

    m_pLockKeys = new CLockKeyState(this);
    connect(m_pLockKeys, &CLockKeyState::changed, this, &CMainFrame::UpdateIndicators);
    UpdateIndicators();

    QAction* toggle = GetCommandAction(ID_VIEW_STATUS_BAR);
    connect(toggle, &QAction::toggled, m_wndStatusBar, &QStatusBar::setVisible);
}

void CMainFrame::UpdateIndicators() {
    const std::pair<int, bool> states[] = {
        {ID_INDICATOR_CAPS, m_pLockKeys->IsCapsLockOn()},
        {ID_INDICATOR_NUM, m_pLockKeys->IsNumLockOn()},
        {ID_INDICATOR_SCRL, m_pLockKeys->IsScrollLockOn()},
    };
    for (const auto& [nID, on] : states) {
        m_panes[nID]->setText(on ? CCommandTable::LoadString(nID) : QString());
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (m_closeQuery && !m_closeQuery()) {
        event->ignore();
        return;
    }
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalFiles(event->mimeData());
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths);
}

#pragma once

#include <QMainWindow>
#include <QRect>
#include <QSize>

#include <functional>
#include <map>

class CConfigView;
class CLockKeyState;
class CStripWidget;
class QAction;
class QLabel;
class QStatusBar;
class QToolBar;

// The main window: menu, toolbar, keyboard shortcuts, status bar, the view
// of the configuration held and the strip of its addresses below it. It carries out only its own View commands; every other command goes
// out through commandIssued() to the application, which routes it.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // The frame's window flags: title, system menu, minimise and close, and
    // neither a maximise button nor a sizing border.
    static constexpr Qt::WindowFlags kFrameFlags =
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
        Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

    // The outer frame: half the screen's width and height, standing at a quarter of each from
    // its top left corner; every step an integer division.
    static QRect FrameGeometry(QSize screen);

    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the window; false when a part of it could not be made.
    bool LoadFrame();

    QAction* GetCommandAction(int nID) const;
    QToolBar* GetToolBar() const { return m_wndToolBar; }
    QStatusBar* GetStatusBar() const { return m_wndStatusBar; }
    CConfigView* GetView() const { return m_pView; }
    CStripWidget* GetStrip() const { return m_pStrip; }
    CLockKeyState* GetLockKeyState() const { return m_pLockKeys; }
    // The pane of ID_INDICATOR_CAPS, _NUM or _SCRL; the idle pane for AFX_IDS_IDLEMESSAGE.
    QLabel* GetPane(int nID) const;

    // Asked before the window closes; returning false keeps it open.
    void SetCloseQuery(std::function<bool()> query) { m_closeQuery = std::move(query); }

signals:
    void commandIssued(int nID);
    void filesDropped(const QStringList& paths);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void PreCreateWindow();
    // Shrinks the client area by the window manager's frame, once known.
    void FitToFrame();
    bool OnCreate();
    void OnCreateClient();
    bool CreateMenu();
    bool CreateToolBar();
    void CreateStatusBar();
    void UpdateIndicators();

    QStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    CConfigView* m_pView = nullptr;
    CStripWidget* m_pStrip = nullptr;
    CLockKeyState* m_pLockKeys = nullptr;
    std::map<int, QAction*> m_actions;
    std::map<int, QLabel*> m_panes;
    std::function<bool()> m_closeQuery;
    QRect m_frameRect;  // the outer frame: half the primary screen, centred
};

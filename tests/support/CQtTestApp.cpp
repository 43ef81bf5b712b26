#include "tests/support/CQtTestApp.h"

#include "tests/support/CTempDir.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <cstdlib>

QApplication& CQtTestApp::Instance() {
    static CTempDir profileDir;
    static int argc = 1;
    static char name[] = "tovrik-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        // Before Qt reads them.
        setenv("XDG_CONFIG_HOME", profileDir.Path().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        auto* qtApp = new QApplication(argc, argv);
        // A test closes main windows; that must not end the event loop.
        QApplication::setQuitOnLastWindowClosed(false);
        return qtApp;
    }();
    return *app;
}

bool CQtTestApp::ServeUntil(const std::function<bool()>& done, int timeoutMs) {
    // A call handed over by a worker wakes the wait at once (QTest::qWaitFor
    // sleeps 10 ms between looks); the timer looks at `done` in between.
    const QDeadlineTimer deadline(timeoutMs);
    QTimer look;
    look.start(5);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

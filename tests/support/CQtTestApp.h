#pragma once

#include <functional>

class QApplication;

// The one QApplication of a test program that shows widgets. It is made before
// the first test, with a profile location of this process alone (so that
// programs run side by side do not see each other's settings) and the
// offscreen platform unless another is set, and ended after the last test.
class CQtTestApp {
public:
    static QApplication& Instance();
    // Runs the event loop until `done` holds, for at most `timeoutMs`; true
    // when it held. The one wait of the widget tests.
    static bool ServeUntil(const std::function<bool()>& done, int timeoutMs = 10000);
};

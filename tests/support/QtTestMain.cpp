// The main of the test programs that show widgets: the QApplication comes
// before the first test and goes after the last.
#include "tests/support/CQtTestApp.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication& app = CQtTestApp::Instance();
    const int status = RUN_ALL_TESTS();
    delete &app;
    return status;
}

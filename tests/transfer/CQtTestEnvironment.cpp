// The application object of the dialog tests, made before the first test and
// ended after the last one, while Qt's own state is still alive. Each test
// program gets a profile of its own, so that programs run side by side do not
// see each other's settings.
#include "tests/support/CTempDir.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <memory>

namespace {

class CQtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", m_profileDir.Path().c_str(), 1);
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    CTempDir m_profileDir;
    int m_argc = 1;
    char m_name[24] = "tovrik-dialog-test";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new CQtTestEnvironment);

}  // namespace

// The main window shows the summary of the configuration held.
#include "tests/support/CAppTest.h"

#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "gui/CConfigView.h"
#include "gui/CMainFrame.h"

namespace {

class ConfigViewTest : public AppTest {
protected:
    void TearDown() override {
        AppTest::TearDown();
        g_recordList.RemoveAll();
    }
};

}  // namespace

TEST_F(ConfigViewTest, TheMainWindowShowsTheSummaryReadOnly) {
    auto app = StartApp({TOVRIK_SAMPLE_S19});
    const QString text = app->GetMainFrame()->GetView()->toPlainText();
    EXPECT_EQ(text.toStdString(),
              "File:          sample.s19\n"
              "Changes:       all saved\n"
              "Header:        QARN-4 CFG V2.14 SITE 0117\n"
              "Data records:  2457\n"
              "Data bytes:    78624\n"
              "Addresses:     00000000 to 0001331F\n"
              "Total:         196642 bytes with line ends\n"
              "Check:         whole: valid and complete\n");
    EXPECT_TRUE(app->GetMainFrame()->GetView()->isReadOnly());
}

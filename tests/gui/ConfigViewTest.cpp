// The main window's view of the configuration held: what it says for a whole,
// a damaged and an empty configuration, and that the window shows it.
#include "support/CAppTest.h"

#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "gui/CConfigView.h"
#include "gui/CMainFrame.h"
#include "support/CTestConfig.h"

namespace {

class ConfigViewTest : public AppTest {
protected:
    void TearDown() override {
        AppTest::TearDown();
        g_recordList.RemoveAll();
    }
};

}  // namespace

TEST_F(ConfigViewTest, AWholeConfigurationIsDescribedInTheMainWindow) {
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

TEST_F(ConfigViewTest, ADamagedConfigurationShowsItsFirstProblems) {
    CQARNCfgDoc doc;
    std::vector<std::string> lines{CTestConfig::HeaderLine("SITE 9")};
    for (unsigned i = 0; i < 7; ++i) {
        std::string line = CTestConfig::DataLine(i * 16);
        line[12] = line[12] == '0' ? '1' : '0';
        lines.push_back(line);
    }
    CTestConfig::Load(doc, lines);
    doc.SetModifiedFlag();

    const QStringList text = CConfigView::SummaryText(doc).split('\n');
    EXPECT_EQ(text.mid(0, 3), (QStringList{"File:          Untitled", "Changes:       not saved",
                                           "Header:        SITE 9"}));
    // Flipping the first data digit moves each checksum by 0x10.
    EXPECT_EQ(
        text.mid(7),
        (QStringList{"Check:         NOT VALID: do not download", "",
                     "Problems: no S7 line; 7 records fail their checksum", "  no S7 line",
                     "  line 2: checksum A2, should be 92", "  line 3: checksum 92, should be A2",
                     "  line 4: checksum 82, should be A2", "  line 5: checksum 72, should be A2",
                     "  and 3 more", "", "Warnings: 360 bytes instead of 196642",
                     "  360 bytes instead of 196642", ""}));
}

TEST_F(ConfigViewTest, NothingHeldSaysHowToGetAConfiguration) {
    CQARNCfgDoc doc;
    EXPECT_EQ(CConfigView::SummaryText(doc),
              "No configuration in memory.\n\nOpen a .s19 file with File > Open, or read the "
              "device's configuration with File > Upload.\n");
}

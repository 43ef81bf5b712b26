// What the main window shows of the document: its title and the summary lines
// for a whole, a damaged and an empty configuration.
#include "app/CDocumentSummary.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "tests/support/CTempDir.h"
#include "tests/support/CTestConfig.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

class DocumentSummaryTest : public ::testing::Test {
protected:
    void TearDown() override { g_recordList.RemoveAll(); }
    CQARNCfgDoc m_doc;
};

TEST_F(DocumentSummaryTest, TheTitleNamesTheFileSaveWritesAndMarksUnsavedChanges) {
    struct CCase {
        const char* path;
        bool modified;
        const char* title;
    };
    const CCase cases[] = {
        {"", false, "Tovrik"},
        {"", true, "Tovrik-Untitled*"},  // an upload not yet saved
        {"/home/tech/backup.s19", false, "Tovrik-backup.s19"},
        {"/home/tech/backup.s19", true, "Tovrik-backup.s19*"},
        {"C:\\\\Users\\\\tech\\\\site 17.s19", false, "Tovrik-site 17.s19"},
    };
    for (const CCase& c : cases) {
        m_doc.SetPathName(c.path);
        m_doc.SetModifiedFlag(c.modified);
        EXPECT_EQ(CDocumentSummary::Title(m_doc), c.title);
    }
}

TEST_F(DocumentSummaryTest, AWholeConfigurationIsDescribedRowByRow) {
    ASSERT_FALSE(m_doc.OnOpenDocument(TOVRIK_SAMPLE_S19));
    EXPECT_EQ(CDocumentSummary::Lines(m_doc),
              (Lines{"File:          sample.s19", "Changes:       all saved",
                     "Header:        QARN-4 CFG V2.14 SITE 0117", "Data records:  2457",
                     "Data bytes:    78624", "Addresses:     00000000 to 0001331F",
                     "Total:         196642 bytes with line ends",
                     "Check:         whole: valid and complete"}));
}

TEST_F(DocumentSummaryTest, ADamagedConfigurationShowsItsFirstProblems) {
    Lines lines{CTestConfig::HeaderLine("SITE 9")};
    for (unsigned i = 0; i < 7; ++i) {
        std::string line = CTestConfig::DataLine(i * 16);
        line[12] = line[12] == '0' ? '1' : '0';
        lines.push_back(line);
    }
    CTestConfig::Load(m_doc, lines);
    m_doc.SetModifiedFlag();

    const Lines summary = CDocumentSummary::Lines(m_doc);
    ASSERT_GT(summary.size(), 7u);
    EXPECT_EQ(
        Lines(summary.begin(), summary.begin() + 3),
        (Lines{"File:          Untitled", "Changes:       not saved", "Header:        SITE 9"}));
    // Flipping the first data digit moves each checksum by 0x10.
    EXPECT_EQ(Lines(summary.begin() + 7, summary.end()),
              (Lines{"Check:         NOT VALID: do not download", "",
                     "Problems: no S7 line; 7 records fail their checksum", "  no S7 line",
                     "  line 2: checksum A2, should be 92", "  line 3: checksum 92, should be A2",
                     "  line 4: checksum 82, should be A2", "  line 5: checksum 72, should be A2",
                     "  and 3 more", "", "Warnings: 360 bytes instead of 196642",
                     "  360 bytes instead of 196642"}));
}

TEST_F(DocumentSummaryTest, LinesTheFileHoldsBeyondTheConfigurationAreSaid) {
    CTempDir dir;
    const std::string sample = CTempDir::Read(TOVRIK_SAMPLE_S19);
    ASSERT_FALSE(m_doc.OnOpenDocument(dir.Write("notes.s19", "# site 17\r\n" + sample + "\r\n")));
    EXPECT_EQ(CDocumentSummary::Lines(m_doc)[1],
              "Changes:       all saved; 2 lines of the file are left out");
}

TEST_F(DocumentSummaryTest, NothingHeldSaysHowToGetAConfigurationInShortLines) {
    const Lines summary = CDocumentSummary::Lines(m_doc);
    EXPECT_EQ(summary.front(), "No configuration in memory.");
    for (const std::string& line : summary) {
        EXPECT_LE(line.size(), 40u) << line;
    }
}

}  // namespace

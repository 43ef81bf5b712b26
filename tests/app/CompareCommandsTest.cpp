// Compare with File and Compare with Device as the desktop program decides
// them: the document is never touched, the report is shown, and the view and
// the strip show the compare until the document changes.
#include "app/CAppCommands.h"
#include "app/CConfigStrip.h"
#include "app/CRecentFileList.h"
#include "app/IAppFrontEnd.h"
#include "core/data/CConfigCheck.h"
#include "core/data/CConfiguration.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "tests/support/CScriptedPrompter.h"
#include "tests/support/CTempDir.h"
#include "tests/support/CTestConfig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace {

using Lines = std::vector<std::string>;

const std::string kData(16, '\x21');

bool Contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A front end that records what it is asked to draw, and whose transfer
// dialog "reads" the device and hands over the compare the test gives it, once.
class CRecordingFrontEnd : public IAppFrontEnd {
public:
    std::optional<CCompareReport> RunTransferDialog(ETransferMode eMode, bool bCompare) override {
        m_runs.emplace_back(eMode, bCompare);
        return std::exchange(m_deviceAnswer, std::nullopt);
    }
    void ShowAbout() override { ++m_nAbout; }
    void CloseMainWindow() override { ++m_nClose; }
    void ShowFrame(const std::string& title, const Lines& lines,
                   const CConfigStrip& strip) override {
        m_strTitle = title;
        m_lines = lines;
        m_marks = strip.Marks();
    }

    std::optional<CCompareReport> m_deviceAnswer;
    std::vector<std::pair<ETransferMode, bool>> m_runs;
    int m_nAbout = 0;
    int m_nClose = 0;
    std::string m_strTitle;
    Lines m_lines;
    std::vector<CStripMark> m_marks;
};

class CompareCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { g_recordList.RemoveAll(); }
    void TearDown() override {
        g_recordList.RemoveAll();
        EXPECT_TRUE(m_user.ScriptUsed()) << "an answer was not asked for";
    }

    // The document opened from a.s19 and then changed, as far as the program
    // knows: unsaved changes that no compare may touch.
    void OpenChanged(const Lines& lines) {
        ASSERT_TRUE(m_commands.Documents().OpenDocumentFile(
            m_dir.Write("a.s19", CTestConfig::Joined(lines))));
        m_doc.SetModifiedFlag(true);
        m_strBefore = CTestConfig::InMemory(m_doc);
    }
    void ExpectDocumentUntouched() const {
        EXPECT_EQ(CTestConfig::InMemory(m_doc), m_strBefore);
        EXPECT_EQ(m_doc.GetPathName(), m_dir.File("a.s19"));
        EXPECT_TRUE(m_doc.IsModified());
        EXPECT_EQ(m_frontEnd.m_strTitle, "Tovrik-a.s19*");
    }
    std::size_t CountMarks(EStripMark eKind) const {
        return static_cast<std::size_t>(
            std::count_if(m_frontEnd.m_marks.begin(), m_frontEnd.m_marks.end(),
                          [&](const CStripMark& mark) { return mark.eKind == eKind; }));
    }

    CTempDir m_dir;
    CQARNCfgDoc m_doc;
    CScriptedPrompter m_user;
    CRecentFileList m_recent;
    CRecordingFrontEnd m_frontEnd;
    CAppCommands m_commands{m_doc, m_user, m_recent, m_dir.Path(), m_frontEnd};
    std::string m_strBefore;
};

TEST_F(CompareCommandsTest, CompareWithFileReportsWithoutTouchingTheDocumentUntilItChanges) {
    OpenChanged(CTestConfig::Lines(4));
    // The record at 0x20 holds other bytes, the one at 0x30 is missing.
    Lines other = CTestConfig::Lines(4);
    other[3] = CTestConfig::DataLine(0x20, kData);
    other.erase(other.begin() + 4);
    const std::string otherPath = m_dir.Write("b.s19", CTestConfig::Joined(other));

    m_user.QueueFile("");
    m_commands.OnCommand(EAppCommand::CompareWithFile);
    EXPECT_TRUE(m_user.Reports().empty()) << "cancelled";
    m_user.QueueFile(m_dir.File("missing.s19"));
    m_commands.OnCommand(EAppCommand::CompareWithFile);
    ASSERT_EQ(m_user.Texts().size(), 1u);
    EXPECT_EQ(m_user.Texts()[0].rfind("Cannot open " + m_dir.File("missing.s19"), 0), 0u);
    EXPECT_TRUE(m_user.Reports().empty());

    m_user.QueueFile(otherPath);
    m_commands.OnCommand(EAppCommand::CompareWithFile);
    ASSERT_EQ(m_user.Reports().size(), 1u);
    const CReportBox& report = m_user.Reports()[0];
    EXPECT_EQ(report.strCaption, "Compare with File");
    // Small test files are not whole configurations: said, and compared all the same.
    EXPECT_EQ(report.lines, (Lines{"Compared a.s19 with b.s19:", "different: 2 ranges, 32 bytes",
                                   "a.s19 is not whole: 228 bytes instead of 196642",
                                   "b.s19 is not whole: 180 bytes instead of 196642", "",
                                   "00000020-0000002F: 16 bytes differ",
                                   "00000030-0000003F: 16 bytes only in the first"}));
    EXPECT_EQ(m_user.Dialogs().back().strFolder, m_dir.Path());
    ExpectDocumentUntouched();
    EXPECT_TRUE(Contains(m_frontEnd.m_lines, "Compared with: b.s19"));
    EXPECT_TRUE(Contains(m_frontEnd.m_lines, "Result:        different: 2 ranges, 32 bytes"));
    EXPECT_TRUE(Contains(m_frontEnd.m_lines, "  00000020-0000002F: 16 bytes differ"));
    EXPECT_EQ(CountMarks(EStripMark::Differs), 2u);

    // A save changes no data: the compare still holds.
    m_commands.OnCommand(EAppCommand::FileSave);
    EXPECT_TRUE(Contains(m_frontEnd.m_lines, "Compared with: b.s19"));
    // Another configuration: the compare no longer describes it.
    m_user.QueueFile(otherPath);
    m_commands.OnCommand(EAppCommand::FileOpen);
    EXPECT_EQ(m_commands.Compare().Report(), nullptr);
    EXPECT_FALSE(Contains(m_frontEnd.m_lines, "Compared with: b.s19"));
    EXPECT_EQ(CountMarks(EStripMark::Differs), 0u);
}

TEST_F(CompareCommandsTest, CompareWithDeviceAsksNothingAndComparesWhatTheDialogRead) {
    m_commands.OnCommand(EAppCommand::CompareWithDevice);
    EXPECT_EQ(m_user.Texts(), (Lines{"There is no configuration in memory to compare. Open a file "
                                     "or upload the device's configuration first."}));
    EXPECT_TRUE(m_frontEnd.m_runs.empty()) << "nothing to compare: no dialog";

    OpenChanged(
        {CTestConfig::HeaderLine(), CTestConfig::DataLine(0, kData), CTestConfig::EndLine()});
    // A read that did not end whole: nothing to compare.
    m_commands.OnCommand(EAppCommand::CompareWithDevice);
    EXPECT_TRUE(m_user.Reports().empty());

    // The same bytes in lines of another length.
    const std::string answer = m_dir.Write(
        "device.s19", CTestConfig::Joined(
                          {CTestConfig::HeaderLine(), CTestConfig::DataLine(0, kData.substr(0, 8)),
                           CTestConfig::DataLine(8, kData.substr(8)), CTestConfig::EndLine()}));
    CConfiguration device;
    ASSERT_FALSE(device.Load(answer));
    m_frontEnd.m_deviceAnswer.emplace(m_doc, device, CCompareReport::kDeviceName);
    m_commands.OnCommand(EAppCommand::CompareWithDevice);
    ASSERT_EQ(m_user.Reports().size(), 1u);
    EXPECT_EQ(m_user.Reports()[0].strCaption, "Compare with Device");
    EXPECT_EQ(m_user.Reports()[0].lines,
              (Lines{"Compared a.s19 with the device:", "same configuration",
                     "a.s19 is not whole: 84 bytes instead of 196642",
                     "the device is not whole: 100 bytes instead of 196642"}));
    const std::vector<std::pair<ETransferMode, bool>> compareRuns(2, {ETransferMode::Upload, true});
    EXPECT_EQ(m_frontEnd.m_runs, compareRuns);
    ExpectDocumentUntouched();
    EXPECT_TRUE(Contains(m_frontEnd.m_lines, "Result:        same configuration"));

    // An upload replaces the document: it asks about the unsaved changes first.
    m_user.QueueAnswer(EAnswer::Cancel);
    m_commands.OnCommand(EAppCommand::Upload);
    EXPECT_EQ(m_frontEnd.m_runs.size(), 2u) << "cancelled at the save question";
    m_commands.OnCommand(EAppCommand::Download);
    EXPECT_EQ(m_frontEnd.m_runs.back(), std::make_pair(ETransferMode::Download, false));
}

TEST(ConfigStrip, MarksDataGapsProblemsAndDifferencesAndNamesTheTopmost) {
    g_recordList.RemoveAll();
    CQARNCfgDoc doc;
    EXPECT_TRUE(CConfigStrip(doc, CConfigCheck(doc), nullptr).IsEmpty());

    // 0x00-0x1F held, 0x20-0x3F a gap, 0x40-0x4F held; the record at 0x10
    // (line 3) fails its checksum.
    Lines lines{CTestConfig::HeaderLine(), CTestConfig::DataLine(0x00), CTestConfig::DataLine(0x10),
                CTestConfig::DataLine(0x40), CTestConfig::EndLine()};
    lines[2][lines[2].size() - 3] = lines[2][lines[2].size() - 3] == '0' ? '1' : '0';
    CTestConfig::Load(doc, lines);
    const CConfigStrip strip(doc, CConfigCheck(doc), nullptr);
    ASSERT_FALSE(strip.IsEmpty());
    EXPECT_EQ(strip.RangeText(), "00000000-0000004F");
    ASSERT_EQ(strip.Marks().size(), 4u);
    EXPECT_EQ(strip.Marks()[0].strTip, "00000000-0000001F: data, 32 bytes");
    EXPECT_EQ(strip.Marks()[1].strTip, "00000020-0000003F: gap, 32 bytes that no record holds");
    EXPECT_EQ(strip.Marks()[2].strTip, "00000040-0000004F: data, 16 bytes");
    EXPECT_EQ(strip.Marks()[3].eKind, EStripMark::Problem);
    EXPECT_EQ(strip.Marks()[3].strTip.rfind("00000010-0000001F: line 3: checksum ", 0), 0u)
        << strip.Marks()[3].strTip;

    // One pixel an address: each mark covers its own pixels, the problem
    // drawn over the data it sits in.
    EXPECT_EQ(strip.Span(strip.Marks()[1], 80), std::make_pair(0x20, 0x40));
    EXPECT_EQ(strip.TipAt(0x05, 80), strip.Marks()[0].strTip);
    EXPECT_EQ(strip.TipAt(0x15, 80), strip.Marks()[3].strTip);
    EXPECT_EQ(strip.TipAt(0x2F, 80), strip.Marks()[1].strTip);
    EXPECT_EQ(strip.TipAt(80, 80), "");
    // Eight pixels for 80 addresses: a one-byte difference still gets three,
    // within the strip, and data one.
    const CStripMark oneByte{EStripMark::Differs, 0x4F, 0x4F, "0000004F"};
    EXPECT_EQ(strip.Span(oneByte, 8), std::make_pair(5, 8));
    EXPECT_EQ(strip.Span({EStripMark::Differs, 0x28, 0x28, "00000028"}, 8), std::make_pair(3, 6));
    EXPECT_EQ(strip.Span({EStripMark::Data, 0x4F, 0x4F, "0000004F"}, 8), std::make_pair(7, 8));
    g_recordList.RemoveAll();
}

}  // namespace

#include "core/data/CConfigCheck.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "tests/support/CTempDir.h"
#include "tests/support/CTestConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// The findings as "line: text", for one look at all of them.
std::vector<std::string> Listed(const std::vector<CConfigFinding>& findings) {
    std::vector<std::string> texts;
    texts.reserve(findings.size());
    for (const CConfigFinding& finding : findings) {
        texts.push_back(CConfigCheck::Describe(finding));
    }
    return texts;
}

class ConfigCheck : public ::testing::Test {
protected:
    void TearDown() override { g_recordList.RemoveAll(); }

    // Stores the lines as a load does and checks what is held.
    CConfigCheck Check(const std::vector<std::string>& lines) {
        CTestConfig::Load(m_doc, lines);
        return CConfigCheck(m_doc);
    }
    // A header, `line` as line 2, a data line and the end line: the problems.
    std::vector<std::string> ProblemsOf(const std::string& line) {
        return Listed(Check({CTestConfig::HeaderLine(), line, CTestConfig::DataLine(0x100),
                             CTestConfig::EndLine()})
                          .Problems());
    }

    CQARNCfgDoc m_doc;
};

}  // namespace

TEST_F(ConfigCheck, TheSampleIsWholeAndDescribed) {
    CQARNCfgDoc doc;
    ASSERT_FALSE(doc.OnOpenDocument(TOVRIK_SAMPLE_S19));
    const CConfigCheck check(doc);
    EXPECT_TRUE(check.IsWhole()) << testing::PrintToString(Listed(check.Problems()))
                                 << testing::PrintToString(Listed(check.Warnings()));
    EXPECT_EQ(check.InfoLines(),
              (std::vector<std::string>{"Header: QARN-4 CFG V2.14 SITE 0117", "Data records: 2457",
                                        "Data bytes: 78624", "Addresses: 00000000 to 0001331F",
                                        "Total: 196642 bytes with line ends"}));
}

namespace {

const std::string kGood = CTestConfig::DataLine(0, 4);  // S3 09 00000000 00070E15, checksum
const std::string kGoodText = kGood.substr(0, kGood.size() - 2);

// kGood with `text` over its characters from `pos`.
std::string With(std::size_t pos, const std::string& text) {
    return kGood.substr(0, pos) + text + kGood.substr(pos + text.size());
}

// A file with `line` as its line 2, between a header and a data line and the end line.
std::string Line2(const std::string& line) {
    return CTestConfig::HeaderLine() + line + CTestConfig::DataLine(0x100) + CTestConfig::EndLine();
}

}  // namespace

// Each rule of a record line, and what of a line as the file held it its
// record does not hold: the records stay as the record classes keep them, and
// the check says what they left behind.
TEST_F(ConfigCheck, FindsWhatIsWrongWithEachLineAsItWasRead) {
    const std::string nul(1, '\0');
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {Line2(kGood), {}},
        {Line2(With(0, "s")), {}},          // lower-case type
        {Line2(With(12, "00070e15")), {}},  // lower-case hex
        {Line2(kGoodText + "\n"), {}},      // LF alone
        {Line2(With(0, "X")), {"line 2: does not start with 'S'"}},
        {Line2(With(14, "G")), {"line 2: 'G' at column 15 is not a hex digit"}},
        {Line2(With(14, " ")), {"line 2: byte 20 at column 15 is not a hex digit"}},
        {Line2(With(14, nul)), {"line 2: byte 00 at column 15 is not a hex digit"}},
        // A line shorter than its count runs into its line end.
        {Line2(kGood.substr(0, 21) + "\r\n"), {"line 2: too short for its byte count"}},
        {Line2(With(2, "0A")), {"line 2: too short for its byte count"}},
        // A count digit changed on the way: the record is cut to the count.
        {Line2(With(2, "08")),
         {"line 2: checksum 15, should be E2", "line 2: 2 characters past the byte count"}},
        {Line2("S3\r\n"), {"line 2: no byte count"}},
        {Line2("S303000000FC\r\n"), {"line 2: byte count 03, but 5 bytes follow it"}},
        {Line2("S3030000FC\r\n"), {"line 2: too short for a 4-byte address"}},
        {Line2(With(20, "00")), {"line 2: checksum 00, should be " + kGood.substr(20, 2)}},
        // Text after a record is not held: a save or a download would drop it.
        {Line2(kGoodText + " ; comment\r\n"), {"line 2: 10 characters past the byte count"}},
        {Line2(kGoodText + nul + "\r\r\n"), {"line 2: 2 characters past the byte count"}},
        {CTestConfig::HeaderLine() + kGood + "S70500000000FAFF\r\n",
         {"line 3: 2 characters after the checksum"}},
        // The header is held whole, and follows the same rules.
        {"S0030000FCA\r\n" + CTestConfig::EndLine(), {"line 1: odd number of hex digits (9)"}},
        {"S0040000FC\r\n" + CTestConfig::EndLine(),
         {"line 1: byte count 04, but 3 bytes follow it"}},
        {"S0030000FD\r\nS70500000000FB\r\n",
         {"line 1: checksum FD, should be FC", "line 2: checksum FB, should be FA"}},
        // The load stops at a Ctrl+Z; one that only line ends follow hides nothing.
        {CTestConfig::HeaderLine() + kGood + "\x1A" + CTestConfig::EndLine() + "\r\n",
         {"no S7 line", "line 3: the file ends at a Ctrl+Z byte; 18 bytes after it are not read"}},
        {Line2(kGood) + "\x1A \r\n", {}},
    };
    CTempDir dir;
    for (const auto& [file, problems] : cases) {
        ASSERT_FALSE(m_doc.OnOpenDocument(dir.Write("in.s19", file))) << file;
        EXPECT_EQ(Listed(CConfigCheck(m_doc).Problems()), problems) << file;
    }
}

TEST_F(ConfigCheck, HeaderAndEndLineMustBeThereOnceFirstAndLast) {
    const std::string s0 = CTestConfig::HeaderLine();
    const std::string s3 = CTestConfig::DataLine(0);
    const std::string s7 = CTestConfig::EndLine();
    EXPECT_EQ(Listed(Check({s3}).Problems()),
              (std::vector<std::string>{"no S0 line", "no S7 line"}));
    EXPECT_EQ(Listed(Check({s3, s0, s7}).Problems()),
              std::vector<std::string>{"line 2: the S0 line comes after line 1"});
    EXPECT_EQ(Listed(Check({s0, s7, s3}).Problems()),
              std::vector<std::string>{"line 2: the S7 line comes before line 3"});
    const CConfigCheck twice = Check({s0, s3, "\r\n", s0, s0, s7, s7});
    EXPECT_EQ(Listed(twice.Problems()),
              (std::vector<std::string>{"line 4: a second S0 line (the first is line 1)",
                                        "line 5: a second S0 line (the first is line 1)",
                                        "line 7: a second S7 line (the first is line 6)"}));
    EXPECT_EQ(CConfigCheck::ReasonList(twice.Problems()), "2 more S0 lines; a second S7 line");
    EXPECT_EQ(twice.InfoLines().back(),
              "Lines left out: 1, not S0, S3 or S7 (the first is line 3)");
    EXPECT_FALSE(twice.IsValid());
}

TEST_F(ConfigCheck, SizeAndAddressesAreWarningsOnly) {
    const CConfigCheck check = Check({CTestConfig::HeaderLine(), CTestConfig::DataLine(0x100),
                                      CTestConfig::DataLine(0x120), CTestConfig::DataLine(0x128),
                                      CTestConfig::DataLine(0x138), CTestConfig::EndLine()});
    EXPECT_TRUE(check.IsValid());
    EXPECT_FALSE(check.IsWhole());
    const long long total = check.Info().nTotalBytes;
    EXPECT_EQ(Listed(check.Warnings()),
              (std::vector<std::string>{
                  std::to_string(total) + " bytes instead of 196642",
                  "line 3: address 00000120 where 00000110 follows on: a gap",
                  "line 4: address 00000128 where 00000130 follows on: an overlap"}));
    EXPECT_EQ(CConfigCheck::Reasons(check.Warnings()),
              (std::vector<std::string>{std::to_string(total) + " bytes instead of 196642",
                                        "1 gap in the addresses", "1 overlap in the addresses"}));
    EXPECT_EQ(check.Info().nLowAddress, 0x100u);
    EXPECT_EQ(check.Info().nHighAddress, 0x147u);
    EXPECT_EQ(check.Info().nDataBytes, 64);
}

TEST_F(ConfigCheck, ReasonsCountEachKindOfProblem) {
    std::string bad1 = CTestConfig::DataLine(0);
    std::string bad2 = CTestConfig::DataLine(16);
    bad1[13] = bad1[13] == '0' ? '1' : '0';
    bad2[13] = bad2[13] == '0' ? '1' : '0';
    const CConfigCheck check = Check({CTestConfig::HeaderLine(), bad1, bad2, "S3ZZ\r\n"});
    EXPECT_EQ(CConfigCheck::ReasonList(check.Problems()),
              "no S7 line; 1 line is not a well-formed S-record; 2 records fail their checksum");
    EXPECT_EQ(Check({}).IsEmpty(), true);
    EXPECT_EQ(Check({}).Info().strHeader, "");
}

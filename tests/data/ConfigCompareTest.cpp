#include "data/CConfigCompare.h"
#include "data/CConfiguration.h"
#include "data/CQARNCfgDoc.h"
#include "support/CTempDir.h"
#include "support/CTestConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The 64 data bytes of CTestConfig::Lines(4), from address 0.
std::string Bytes() {
    std::string bytes;
    for (unsigned start = 0; start < 64; start += 16) {
        for (unsigned i = 0; i < 16; ++i) {
            bytes += static_cast<char>((start + i * 7) & 0xFF);
        }
    }
    return bytes;
}

// A header, the data from address `from` in lines of `per` bytes, an end line.
std::string Config(const std::string& data, unsigned per, unsigned from = 0,
                   const std::string& header = "TEST", unsigned end = 0) {
    std::string text = CTestConfig::HeaderLine(header);
    for (unsigned at = 0; at < data.size(); at += per) {
        text += CTestConfig::DataLine(from + at, data.substr(at, per));
    }
    return text + CTestConfig::EndLine(end);
}

// "... is not whole: ", the problems, the size of `text` and the other warnings.
std::string SizeNote(const std::string& side, const std::string& text,
                     const std::string& problems = "", const std::string& warnings = "") {
    return side + " is not whole: " + problems + std::to_string(text.size()) +
           " bytes instead of 196642" + warnings;
}

std::vector<std::string> Texts(const CConfigCompare& compare) {
    std::vector<std::string> texts;
    for (const CCompareDifference& difference : compare.Differences()) {
        texts.push_back(difference.strText);
    }
    return texts;
}

}  // namespace

TEST(ConfigCompare, ComparesTheDataWhateverTheLines) {
    const std::string data = Bytes();
    const std::string base = CTestConfig::Joined(CTestConfig::Lines(4));
    ASSERT_EQ(base, Config(data, 16));
    std::string changed = data;
    changed[0x13] = '\x5D';
    std::string changedTwo = changed;
    changedTwo[0x14] = '\x5E';
    const std::string line = CTestConfig::DataLine(0x10);  // bytes 10, 11, ... from column 12
    std::string reordered = CTestConfig::HeaderLine();
    for (unsigned at : {48u, 0u, 32u, 16u}) {
        reordered += CTestConfig::DataLine(at, data.substr(at, 16));
    }
    reordered += CTestConfig::EndLine();
    // Line 3 cut short: its 16 bytes cannot be read; no S7 line.
    const std::string broken =
        Config(data, 16).substr(0, 76) + "\r\n" + CTestConfig::DataLine(32, data.substr(32, 32));
    // An overlap: the later record's bytes count.
    const std::string overlapping =
        Config(data, 16) + CTestConfig::DataLine(0x10, std::string(1, '\x5D'));
    std::string lfEnds = base;
    for (std::size_t at = lfEnds.find("\r\n"); at != std::string::npos; at = lfEnds.find("\r\n")) {
        lfEnds.erase(at, 1);
    }

    struct Case {
        const char* name;
        std::string second;
        std::string verdict;
        std::vector<std::string> differences;
        std::vector<std::string> secondNotes;
    };
    const std::vector<Case> cases{
        {"the same file", base, "identical files", {}, {SizeNote("the second", base)}},
        {"LF line ends", lfEnds, "same configuration", {}, {SizeNote("the second", base)}},
        {"the header line twice: the same lines held, but not the file",
         CTestConfig::HeaderLine() + base,
         "same configuration",
         {},
         {SizeNote("the second", base, "a second S0 line; ")}},
        {"lines of 8 bytes",
         Config(data, 8),
         "same configuration",
         {},
         {SizeNote("the second", Config(data, 8))}},
        {"one line of 64 bytes",
         Config(data, 64),
         "same configuration",
         {},
         {SizeNote("the second", Config(data, 64))}},
        {"records in another order",
         reordered,
         "same configuration",
         {},
         {SizeNote("the second", reordered, "",
                   "; 1 gap in the addresses; 2 overlaps in the addresses")}},
        {"one byte",
         Config(changed, 32),
         "different: 1 range, 1 byte",
         {"00000013: 1 byte differs (" + line.substr(18, 2) + " / 5D)"},
         {SizeNote("the second", Config(changed, 32))}},
        {"two bytes side by side",
         Config(changedTwo, 16),
         "different: 1 range, 2 bytes",
         {"00000013-00000014: 2 bytes differ (" + line.substr(18, 2) + " " + line.substr(20, 2) +
          " / 5D 5E)"},
         {SizeNote("the second", Config(changedTwo, 16))}},
        {"a missing range",
         Config(data.substr(0, 48), 16),
         "different: 1 range, 16 bytes",
         {"00000030-0000003F: 16 bytes only in the first"},
         {SizeNote("the second", Config(data.substr(0, 48), 16))}},
        {"an extra range",
         Config(data + data.substr(0, 3), 67),
         "different: 1 range, 3 bytes",
         {"00000040-00000042: 3 bytes only in the second"},
         {SizeNote("the second", Config(data + data.substr(0, 3), 67))}},
        {"the header",
         Config(data, 16, 0, "TEST2"),
         "different: the header",
         {"header: \"TEST\" / \"TEST2\""},
         {SizeNote("the second", Config(data, 16, 0, "TEST2"))}},
        {"a header that differs in a trailing blank only",
         Config(data, 16, 0, "TEST "),
         "different: the header",
         {"header: \"TEST\" / \"TEST \""},
         {SizeNote("the second", Config(data, 16, 0, "TEST "))}},
        {"the S7 address",
         Config(data, 16, 0, "TEST", 0x100),
         "different: the S7 address",
         {"S7 address: 00000000 / 00000100"},
         {SizeNote("the second", Config(data, 16, 0, "TEST", 0x100))}},
        {"a later record over an earlier one",
         overlapping,
         "different: 1 range, 1 byte",
         {"00000010: 1 byte differs (10 / 5D)"},
         {SizeNote("the second", overlapping, "the S7 line is not the last; ",
                   "; 1 overlap in the addresses")}},
        {"data moved, header and end changed",
         Config(data, 16, 64, "TEST2", 64),
         "different: 2 ranges, 128 bytes, the header, the S7 address",
         {"header: \"TEST\" / \"TEST2\"", "00000000-0000003F: 64 bytes only in the first",
          "00000040-0000007F: 64 bytes only in the second", "S7 address: 00000000 / 00000040"},
         {SizeNote("the second", Config(data, 16, 64, "TEST2", 64))}},
        {"a side that is not whole",
         broken,
         "different: 1 range, 16 bytes, the S7 address",
         {"00000010-0000001F: 16 bytes only in the first", "S7 address: 00000000 / none"},
         {SizeNote("the second", broken, "no S7 line; 1 line is not a well-formed S-record; ",
                   "; 1 gap in the addresses"),
          "the second: line 3 is not a well-formed S-record; its bytes are not compared"}},
    };
    CTempDir dir;
    CConfiguration first;
    ASSERT_FALSE(first.Load(dir.Write("first.s19", base)));
    for (const Case& c : cases) {
        CConfiguration second;
        ASSERT_FALSE(second.Load(dir.Write("second.s19", c.second))) << c.name;
        const CConfigCompare compare(first, second);
        EXPECT_EQ(compare.Verdict(), c.verdict) << c.name;
        EXPECT_EQ(Texts(compare), c.differences) << c.name;
        std::vector<std::string> notes{SizeNote("the first", base)};
        notes.insert(notes.end(), c.secondNotes.begin(), c.secondNotes.end());
        EXPECT_EQ(compare.Notes(), notes) << c.name;
        EXPECT_EQ(compare.IsSame(), c.differences.empty()) << c.name;
    }
}

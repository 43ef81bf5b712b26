#include "data/CArchive.h"
#include "data/CQARNCfgDoc.h"
#include "data/Cs0Header.h"
#include "data/Cs7EndRecord.h"
#include "data/Csrecord.h"
#include "data/TextCut.h"
#include "support/CTempDir.h"

#include <gtest/gtest.h>

#include <vector>

TEST(TextCut, StaysInsideTheLine) {
    const std::string s = "S30700";
    EXPECT_EQ(TextCut::Left(s, 2), "S3");
    EXPECT_EQ(TextCut::Left(s, 99), s);
    EXPECT_EQ(TextCut::Left(s, -1), "");
    EXPECT_EQ(TextCut::Right(s, 2), "00");
    EXPECT_EQ(TextCut::Right(s, 99), s);
    EXPECT_EQ(TextCut::Right(s, -3), "");
    EXPECT_EQ(TextCut::Mid(s, 2, 2), "07");
    EXPECT_EQ(TextCut::Mid(s, -5, 2), "S3");
    EXPECT_EQ(TextCut::Mid(s, 4, 8), "00");
    EXPECT_EQ(TextCut::Mid(s, 6, 2), "");
    EXPECT_EQ(TextCut::Mid(s, 100, 2), "");
    EXPECT_EQ(TextCut::Mid(s, 1, -2), "");
    EXPECT_EQ(TextCut::Mid("", 0, 2), "");
    EXPECT_EQ(TextCut::LineEnd("ab\r\n"), "\r\n");
    EXPECT_EQ(TextCut::LineEnd("ab\n"), "\n");
    EXPECT_EQ(TextCut::LineEnd("ab\r"), "");
    EXPECT_EQ(TextCut::LineEnd("\n"), "\n");
}

struct S3Case {
    std::string line;
    int dataLen;
    std::string data, checksum, end, joined;
};

TEST(Csrecord, CountDecidesTheFields) {
    const std::vector<S3Case> cases = {
        {"S30700000000AABBCC\r\n", 4, "AABB", "CC", "\r\n", "S30700000000AABBCC\r\n"},
        {"S30700000000aabbcc\r\n", 4, "aabb", "cc", "\r\n", "S30700000000aabbcc\r\n"},
        {"S30800000000AABBCC\r\n", 6, "AABBCC", "\r\n", "\r\n", "S30800000000AABBCC\r\n\r\n"},
        {"S30600000000AABBCC\r\n", 2, "AA", "BB", "\r\n", "S30600000000AABB\r\n"},
        {"S30400000000AABBCC\r\n", -2, "", "00", "\r\n", "S3040000000000\r\n"},
        {"S30012345678AABBCC\r\n", -10, "", "00", "\r\n", "S3001234567800\r\n"},
        {"S3G712345678AABBCC\r\n", -10, "", "G7", "\r\n", "S3G712345678G7\r\n"},
        {"S30A0000000000112233445566778899\r\n", 10, "0011223344", "55", "\r\n",
         "S30A00000000001122334455\r\n"},
        // Uploaded lines keep the line end the device sent, or none at all.
        {"S30700000000AABBCC\n", 4, "AABB", "CC", "\n", "S30700000000AABBCC\n"},
        {"S30700000000AABBCC", 4, "AABB", "CC", "", "S30700000000AABBCC"},
        {"S30700000000AABB", 4, "AABB", "", "", "S30700000000AABB"},
        {"S3070000", 4, "", "", "", "S3070000"},
        // Too short for an address: nothing is cut twice, so the line joins back
        // unchanged and a save does not grow it.
        {"S3", -10, "", "", "", "S3"},
        {"S3030\r\n", -4, "", "", "\r\n", "S3030\r\n"},
        {"S30500000\n", 0, "", "", "\n", "S30500000\n"},
        {"", -10, "", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        Csrecord r;
        r.Parse(c.line);
        EXPECT_EQ(r.m_nDataLen, c.dataLen);
        EXPECT_EQ(r.m_strData, c.data);
        EXPECT_EQ(r.m_strChecksum, c.checksum);
        EXPECT_EQ(r.m_strEnd, c.end);
        EXPECT_EQ(r.GetLine(), c.joined);
    }
}

TEST(Csrecord, ReparseReplacesEveryField) {
    Csrecord r;
    r.Parse("S30A0000000000112233445566778899\r\n");
    r.Parse("X3070000");
    EXPECT_EQ(r.m_strType, "X3");
    EXPECT_EQ(r.m_strData, "");
    EXPECT_EQ(r.GetLine(), "X3070000");
}

TEST(Cs7EndRecord, FixedPositionsWhateverTheCount) {
    Cs7EndRecord r;
    r.Parse("S70500000000FA\r\n");
    EXPECT_EQ(r.m_strType + "|" + r.m_strCount + "|" + r.m_strAddress + "|" + r.m_strChecksum,
              "S7|05|00000000|FA");
    EXPECT_EQ(r.GetLine(), "S70500000000FA\r\n");
    r.Parse("S70900000000FA  \r\n");
    EXPECT_EQ(r.GetLine(), "S70900000000FA\r\n");
    r.Parse("S70500000000FA\n");
    EXPECT_EQ(r.GetLine(), "S70500000000FA\n");
    r.Parse("S705000");
    EXPECT_EQ(r.GetLine(), "S705000");
}

TEST(Cs0Header, AnyLineJoinsBackUnchanged) {
    for (const std::string& line :
         std::vector<std::string>{"S0", "S00F000068656C6C6F202020202000003C\r\n", "S0\n", "s0 x\r",
                                  "S", std::string("S0\0\x1A\xFF\r\n", 7)}) {
        Cs0Header h;
        h.Parse(line);
        EXPECT_EQ(h.GetLine(), line);
        EXPECT_EQ(h.m_strType, line.substr(0, 2));
    }
}

TEST(GetRecordType, OnlyTheSecondCharacterCounts) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"S3250000", 3}, {"X3", 3},  {"s3", 3}, {"s0", 0}, {"S0", 0},    {"S7", 7}, {"S1", -1},
        {"S5", -1},      {"S9", -1}, {"", -1},  {"3", -1}, {"\r\n", -1}, {" ", -1}};
    for (const auto& [line, type] : cases) {
        EXPECT_EQ(static_cast<int>(CQARNCfgDoc::GetRecordType(line)), type) << line;
    }
}

TEST(Records, UnparsedRecordsWriteNothing) {
    CTempDir dir;
    CArchive ar(CArchive::store);
    ASSERT_FALSE(ar.Open(dir.File("out.s19")));
    Cs0Header h;
    Csrecord r;
    Cs7EndRecord e;
    h.Serialize(ar);
    r.Serialize(ar);
    e.Serialize(ar);
    ASSERT_FALSE(ar.Close());
    EXPECT_EQ(CTempDir::Read(dir.File("out.s19")), "");
    EXPECT_EQ(h.GetLine() + r.GetLine() + e.GetLine(), "");
}

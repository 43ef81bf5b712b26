#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "platform/ETovrikError.h"
#include "support/CTempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace {

const std::string kS0 = "S00F000068656C6C6F202020202000003C\r\n";
const std::string kS3a = "S3090000000001020304EC\r\n";
const std::string kS3b = "S30D0000001011121314151617183E\r\n";
const std::string kS7 = "S70500000000FA\r\n";

// Each system words its errors its own way.
#ifdef _WIN32
const std::string kNoSuchFile = "The system cannot find the file specified";
const std::string kIsAFolder = "It is a folder";
#else
const std::string kNoSuchFile = "No such file or directory";
const std::string kIsAFolder = "Is a directory";
#endif

class Document : public ::testing::Test {
protected:
    // Loads 'content' from a file named 'name' and returns what a save writes.
    std::string RoundTrip(const std::string& content, const std::string& name = "in.s19") {
        dir.Write(name, content);
        EXPECT_FALSE(doc.OnOpenDocument(dir.File(name)));
        EXPECT_FALSE(doc.OnSaveDocument(dir.File("out.s19")));
        return CTempDir::Read(dir.File("out.s19"));
    }

    std::string Joined() const {
        std::string text = doc.m_pHeader->GetLine();
        for (const auto& record : g_recordList) {
            text += record->GetLine();
        }
        return text + doc.m_pEndRecord->GetLine();
    }

    CTempDir dir;
    CQARNCfgDoc doc;
};

}  // namespace

TEST_F(Document, SampleLoadsAndSavesByteForByte) {
    const std::string sample = CTempDir::Read(TOVRIK_SAMPLE_S19);
    ASSERT_EQ(sample.size(), 196642u);
    doc.SetModifiedFlag();
    EXPECT_EQ(RoundTrip(sample, "backup.s19"), sample);
    EXPECT_EQ(g_recordList.GetCount(), 2457u);
    EXPECT_EQ(doc.m_nFileSize, 196642);
    EXPECT_EQ(doc.GetFileName(), "out.s19") << "the document names the file Save writes";
    EXPECT_EQ(doc.GetPathName(), dir.File("out.s19"));
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(Document, LongAndOddLinesAreReadWhole) {
    const std::string s3Long =  // 57 data bytes: 128 characters before the line end
        "S33E00000020" + std::string(114, 'A') + "5C" + "\r\n";
    const std::string s0Huge = "S0" + std::string(70000, 'h') + "\r\n";
    const std::string s0Nul("S0\0\xFF\r\n", 6);
    EXPECT_EQ(RoundTrip(s0Huge + s3Long + kS7), s0Huge + s3Long + kS7);
    EXPECT_EQ(g_recordList.GetCount(), 1u);
    EXPECT_EQ(RoundTrip(s0Nul + kS3a + kS7), s0Nul + kS3a + kS7);
}

TEST_F(Document, NormalisesLinesAsItLoads) {
    // LF and missing line ends become CR LF.
    EXPECT_EQ(RoundTrip("S0AB\nS3090000000001020304EC\nS70500000000FA"), "S0AB\r\n" + kS3a + kS7);
    // Only S0, S3 and S7 lines survive; the header goes first and the end line last.
    EXPECT_EQ(RoundTrip(kS7 + "S1130000\r\n \r\n\r\nS9030000FC\r\nS5030001FB\r\n" + kS3a +
                        "s30D0000001011121314151617183E\r\n" + kS0),
              kS0 + kS3a + "s30D0000001011121314151617183E\r\n" + kS7);
    // Of several header or end lines the last wins.
    EXPECT_EQ(RoundTrip("S0first\r\n" + kS3a + "S70500000001F9\r\nS0second\r\n" + kS7),
              "S0second\r\n" + kS3a + kS7);
    // 0x1A ends the text: the end line after it is not loaded either.
    EXPECT_EQ(RoundTrip(kS0 + kS3a + "\x1A" + kS3b + kS7), kS0 + kS3a);
    EXPECT_EQ(doc.m_nFileSize, static_cast<int>((kS0 + kS3a + kS3b + kS7).size() + 1));
    // A malformed data line is written as its joined fields.
    EXPECT_EQ(RoundTrip(kS0 + "S30800000000AABBCC\r\n" + kS7),
              kS0 + "S30800000000AABBCC\r\n\r\n" + kS7);
}

TEST_F(Document, SecondLoadReplacesTheWholeConfiguration) {
    RoundTrip(kS0 + kS3a + kS3b + kS7, "first.s19");
    EXPECT_EQ(RoundTrip(kS3b, "second.s19"), kS3b) << "no header or end line left from the first";
    EXPECT_EQ(doc.m_notes.dataLines, std::vector<int>{1});
    EXPECT_EQ(doc.m_notes.nHeaderLine, 0);
}

TEST_F(Document, FileWithoutAnySRecordLineIsRefusedAndChangesNothing) {
    RoundTrip(kS0 + kS3a + kS7, "good.s19");
    // Lines whose second character is 0, 3 or 7 are not records by that alone.
    for (const std::string& text :
         {std::string(), std::string("notes\r\n\r\nS1 and S9\r\n"),
          std::string("Site 17\r\nto do:\r\nS7 is the plan\r\n"),
          std::string("S30800000000AABBCC\r\nS70500000000FA FF\r\n\x1A") + kS0}) {
        const std::string path = dir.Write("notes.txt", text);
        EXPECT_EQ(doc.OnOpenDocument(path), ETovrikError::NotConfiguration);
        EXPECT_EQ(Joined(), kS0 + kS3a + kS7);
        EXPECT_EQ(doc.GetPathName(), dir.File("out.s19"));
    }
    // A wrong checksum still leaves a record line.
    EXPECT_EQ(RoundTrip("notes\r\nS70500000000FB\r\n"), "S70500000000FB\r\n");
}

TEST_F(Document, LoadNotesWhereEachRecordStoodAndWhatItDroppedUntilASaveWritesTheFileAnew) {
    ASSERT_FALSE(doc.OnOpenDocument(
        dir.Write("in.s19", "\r\n" + kS3a + "S0first\r\nS9030000FC\r\n" + kS3b + kS7 + kS0 + kS7)));
    const CReadNotes& notes = doc.m_notes;
    EXPECT_EQ(notes.nLines, 8);
    EXPECT_EQ(notes.dataLines, (std::vector<int>{2, 5}));
    EXPECT_EQ(notes.nHeaderLine, 7);
    EXPECT_EQ(notes.replacedHeaders, std::vector<int>{3});
    EXPECT_EQ(notes.nEndLine, 8);
    EXPECT_EQ(notes.replacedEnds, std::vector<int>{6});
    EXPECT_EQ(notes.nFirstRecord, 2);
    EXPECT_EQ(notes.nLastRecord, 8);
    EXPECT_EQ(notes.nDropped, 2);
    EXPECT_EQ(notes.nFirstDropped, 1);

    // The file saved holds only what is held, in its order.
    ASSERT_FALSE(doc.OnSaveDocument(dir.File("out.s19")));
    EXPECT_EQ(notes.nLines, 4);
    EXPECT_EQ(notes.nHeaderLine, 1);
    EXPECT_EQ(notes.dataLines, (std::vector<int>{2, 3}));
    EXPECT_EQ(notes.nEndLine, 4);
    EXPECT_EQ(notes.nDropped, 0);
    EXPECT_TRUE(notes.replacedHeaders.empty());
}

TEST_F(Document, RandomBytesLoadAndSaveAsTheirFields) {
    std::mt19937 rng(1234);
    const char alphabet[] = "S0137\r\n\x1A\0AF09 zx";
    for (std::size_t size : {1, 2, 13, 99, 100, 4096, 300000}) {
        std::string junk(size, '\0');
        for (char& c : junk) {
            c = static_cast<char>(size % 2 ? rng() : alphabet[rng() % (sizeof alphabet - 1)]);
        }
        SCOPED_TRACE(size);
        if (dir.Write("junk.s19", junk), doc.OnOpenDocument(dir.File("junk.s19"))) {
            continue;  // refused: not a single S0, S3 or S7 line
        }
        const std::string saved = RoundTrip(junk);
        EXPECT_EQ(saved, Joined());
        EXPECT_EQ(doc.m_nFileSize, static_cast<int>(size));
    }
}

TEST_F(Document, FailedOpenLeavesTheDocumentAlone) {
    RoundTrip(kS0 + kS3a + kS7, "good.s19");
    for (const std::string& path : {dir.File("gone.s19"), dir.Path()}) {
        EXPECT_TRUE(doc.OnOpenDocument(path));
        EXPECT_EQ(doc.GetFileName(), "out.s19");
        EXPECT_EQ(doc.m_nFileSize, static_cast<int>((kS0 + kS3a + kS7).size()));
        EXPECT_EQ(Joined(), kS0 + kS3a + kS7);
    }
    EXPECT_EQ(doc.OnOpenDocument(dir.File("gone.s19")).message(), kNoSuchFile);
}

TEST_F(Document, FailedSaveKeepsTheOldFile) {
    RoundTrip(kS0 + kS3a + kS7, "good.s19");
    std::filesystem::create_directory(dir.File("sub"));
    EXPECT_EQ(doc.OnSaveDocument(dir.File("sub")).message(), kIsAFolder);
    EXPECT_EQ(doc.GetPathName(), dir.File("out.s19"));
}

TEST_F(Document, NewDocumentEmptiesTheConfigurationAndForgetsTheFile) {
    RoundTrip(kS0 + kS3a + kS7, "good.s19");
    doc.SetModifiedFlag();
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.m_nFileSize, 0);
    EXPECT_EQ(doc.GetPathName(), "");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Joined(), "");
    EXPECT_EQ(doc.m_notes.nLines, 0);
}

TEST(DocumentLife, DestructorEmptiesTheRecordList) {
    {
        CQARNCfgDoc doc;
        g_recordList.AddTail(std::make_unique<Csrecord>());
    }
    EXPECT_TRUE(g_recordList.IsEmpty());
}

#include "data/CArchive.h"
#include "support/CTempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    CArchive ar(CArchive::load);
    const std::error_code error = ar.Open(path);
    EXPECT_FALSE(error) << error.message();
    std::vector<std::string> lines;
    std::string line;
    while (ar.ReadString(line)) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

TEST(ArchiveLoad, ReadsTextModeLines) {
    CTempDir dir;
    const std::string path = dir.File("in.s19");
    const auto WriteFile = [&](const std::string& text) { dir.Write("in.s19", text); };
    const char text[] =
        "a\r\nb\nc\r\rd\r\n\r\nS0\0NUL\r\nlast\x1A"
        "after\n";
    WriteFile(std::string(text, sizeof text - 1));
    EXPECT_EQ(ReadLines(path), (std::vector<std::string>{"a", "b", "c\r\rd", "",
                                                         std::string("S0\0NUL", 6), "last"}));
    WriteFile("no line end\r");
    EXPECT_EQ(ReadLines(path), std::vector<std::string>{"no line end\r"});
    WriteFile("");
    EXPECT_TRUE(ReadLines(path).empty());
}

TEST(ArchiveLoad, ReadsLongLinesWhole) {
    CTempDir dir;
    const std::string longLine(70000, 'A');
    dir.Write("in.s19", std::string(100, 'B') + "\r\n" + longLine + "\n");
    EXPECT_EQ(ReadLines(dir.File("in.s19")),
              (std::vector<std::string>{std::string(100, 'B'), longLine}));
}

TEST(ArchiveLoad, NamesTheFileAndItsSize) {
    CTempDir dir;
    dir.Write("backup.s19", "0123456789\x1A\x1A");
    CArchive ar(CArchive::load);
    ASSERT_FALSE(ar.Open(dir.File("backup.s19")));
    EXPECT_EQ(ar.GetFileName(), "backup.s19");
    EXPECT_EQ(ar.GetFileSize(), 12);
}

TEST(ArchiveStore, UnclosedArchiveLeavesTheTargetAlone) {
    CTempDir dir;
    dir.Write("out.s19", "old");
    {
        CArchive ar(CArchive::store);
        ASSERT_FALSE(ar.Open(dir.File("out.s19")));
        ar.WriteString("half a configuration");
    }
    EXPECT_EQ(CTempDir::Read(dir.File("out.s19")), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ArchiveStore, OpenFailuresKeepTheReason) {
    CTempDir dir;
    std::filesystem::create_directory(dir.File("sub"));
    for (const auto& [path, error] : std::vector<std::pair<std::string, std::errc>>{
             {dir.File("nodir/out.s19"), std::errc::no_such_file_or_directory},
             {dir.File("sub"), std::errc::is_a_directory}}) {
        CArchive ar(CArchive::store);
        EXPECT_EQ(ar.Open(path), error) << path;
        EXPECT_EQ(ar.Close(), error) << "the reason stays";
    }
}

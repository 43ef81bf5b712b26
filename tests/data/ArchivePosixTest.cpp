#include "data/CArchive.h"
#include "platform/ETovrikError.h"
#include "support/CTempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// What a save keeps and refuses on a POSIX file system: modes, links, FIFOs,
// permission bits and a file size limit standing in for a full disk.
namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

}  // namespace

TEST(ArchiveLoad, FailsWithTheReason) {
    CTempDir dir;
    ::mkfifo(dir.File("fifo").c_str(), 0600);  // must fail at once, not wait for a writer
    const std::vector<std::pair<std::string, std::error_code>> cases = {
        {dir.File("missing.s19"), std::make_error_code(std::errc::no_such_file_or_directory)},
        {dir.Path(), std::make_error_code(std::errc::is_a_directory)},
        {dir.File("fifo"), ETovrikError::NotRegularFile}};
    for (const auto& [path, error] : cases) {
        CArchive ar(CArchive::load);
        EXPECT_EQ(ar.Open(path), error) << path;
        std::string line;
        EXPECT_FALSE(ar.ReadString(line));
    }
    EXPECT_EQ(CArchive(CArchive::load).Open(dir.File("missing.s19")).message(),
              "No such file or directory");
}

TEST(ArchiveLoad, UnreadableFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads files whatever their permission bits";
    }
    CTempDir dir;
    dir.Write("secret.s19", "S0\r\n");
    ::chmod(dir.File("secret.s19").c_str(), 0);
    CArchive ar(CArchive::load);
    EXPECT_EQ(ar.Open(dir.File("secret.s19")), std::errc::permission_denied);
}

TEST(ArchiveStore, WritesExactlyAndLeavesNoTemporaryFile) {
    CTempDir dir;
    const mode_t old = ::umask(027);
    std::string expected;
    {
        CArchive ar(CArchive::store);
        ASSERT_FALSE(ar.Open(dir.File("out.s19")));
        for (int i = 0; i < 5000; ++i) {  // well past the write buffer
            const std::string piece = std::to_string(i) + (i % 7 ? "\r\n" : std::string("\0\n", 2));
            ar.WriteString(piece);
            expected += piece;
        }
        EXPECT_FALSE(ar.Close());
    }
    ::umask(old);
    EXPECT_EQ(CTempDir::Read(dir.File("out.s19")), expected);
    EXPECT_EQ(ModeOf(dir.File("out.s19")), 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(ArchiveStore, KeepsTheModeAndTheLinkOfTheOldFile) {
    CTempDir dir;
    dir.Write("real.s19", "old");
    ::chmod(dir.File("real.s19").c_str(), 0604);
    std::filesystem::create_symlink("real.s19", dir.File("link.s19"));
    CArchive ar(CArchive::store);
    ASSERT_FALSE(ar.Open(dir.File("link.s19")));
    ar.WriteString("new");
    ASSERT_FALSE(ar.Close());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.s19")));
    EXPECT_EQ(CTempDir::Read(dir.File("real.s19")), "new");
    EXPECT_EQ(ModeOf(dir.File("real.s19")), 0604u);
}

TEST(ArchiveStore, ReadOnlyDirectoryOrFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes whatever the permission bits say";
    }
    CTempDir dir;
    dir.Write("ro.s19", "old");
    ::chmod(dir.File("ro.s19").c_str(), 0444);
    EXPECT_EQ(CArchive(CArchive::store).Open(dir.File("ro.s19")), std::errc::permission_denied);
    ::chmod(dir.Path().c_str(), 0555);
    EXPECT_EQ(CArchive(CArchive::store).Open(dir.File("new.s19")), std::errc::permission_denied);
    ::chmod(dir.Path().c_str(), 0755);
}

TEST(ArchiveStore, WriteFailureLeavesTheOldFile) {
    CTempDir dir;
    dir.Write("out.s19", "old");
    // A file size limit makes write() fail as a full disk would.
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    std::error_code error;
    {
        CArchive ar(CArchive::store);
        ASSERT_FALSE(ar.Open(dir.File("out.s19")));
        ar.WriteString(std::string(5000, 'x'));
        error = ar.Close();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);
    EXPECT_EQ(error, std::errc::file_too_large);
    EXPECT_EQ(CTempDir::Read(dir.File("out.s19")), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

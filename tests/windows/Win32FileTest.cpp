#include "CWineRun.h"
#include "app/CErrorText.h"
#include "core/data/CArchive.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "platform/common/CAtomicFile.h"
#include "platform/common/CFileReader.h"
#include "platform/common/ETovrikError.h"
#include "tests/support/CTempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

// Saving and reading files on Windows: the atomic save, its refusals, and
// names beyond the local code page.
namespace {

std::size_t EntriesIn(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

std::error_code Save(const std::string& path, const std::string& text) {
    CArchive ar(CArchive::store);
    if (const std::error_code error = ar.Open(path)) {
        return error;
    }
    ar.WriteString(text);
    return ar.Close();
}

}  // namespace

TEST(Win32AtomicSave, ReplacesOrCreatesTheTargetAndLeavesNoTemporaryFile) {
    CTempDir dir;
    std::string big;
    for (int i = 0; i < 20000; ++i) {
        big += std::to_string(i) + (i % 7 ? "\r\n" : std::string("\0\n", 2));
    }
    EXPECT_FALSE(Save(dir.File("new.s19"), big));
    EXPECT_EQ(CTempDir::Read(dir.File("new.s19")), big);
    dir.Write("old.s19", "old");
    EXPECT_FALSE(Save(dir.File("old.s19"), "new"));
    EXPECT_EQ(CTempDir::Read(dir.File("old.s19")), "new");
    EXPECT_EQ(EntriesIn(dir.Path()), 2u);
}

TEST(Win32AtomicSave, RefusesFoldersReadOnlyFilesAndDevices) {
    CTempDir dir;
    std::filesystem::create_directory(dir.File("sub"));
    EXPECT_EQ(Save(dir.File("sub"), "x"), std::errc::is_a_directory);
    EXPECT_EQ(Save(dir.File("nodir/out.s19"), "x"), std::errc::no_such_file_or_directory);

    dir.Write("ro.s19", "old");
    ASSERT_TRUE(SetFileAttributesA(dir.File("ro.s19").c_str(), FILE_ATTRIBUTE_READONLY));
    const std::error_code readOnly = Save(dir.File("ro.s19"), "new");
    EXPECT_EQ(readOnly, std::errc::permission_denied);
    EXPECT_EQ(readOnly.message(), "Access is denied");
    EXPECT_EQ(CTempDir::Read(dir.File("ro.s19")), "old");
    SetFileAttributesA(dir.File("ro.s19").c_str(), FILE_ATTRIBUTE_NORMAL);

    // Devices are refused by name, before anything is opened.
    for (const std::string& device :
         std::vector<std::string>{"NUL", "\\\\.\\COM200", dir.File("CON")}) {
        EXPECT_EQ(Save(device, "x"), ETovrikError::NotRegularFile) << device;
    }
    EXPECT_EQ(EntriesIn(dir.Path()), 2u) << "a refused save left a file behind";
}

TEST(Win32AtomicSave, AFullDiskLeavesTheOldFileWhole) {
    const char* small = std::getenv("TOVRIK_SMALL_DISK");
    if (small == nullptr) {
        GTEST_SKIP() << "the harness mounts a small disk only when run as root";
    }
    const std::string target = std::string(small) + "/old.s19";
    const std::string before = CTempDir::Read(target);
    ASSERT_FALSE(before.empty());
    const std::error_code error = Save(target, std::string(200000, 'x'));
    EXPECT_EQ(error, std::errc::no_space_on_device) << error.message();
    EXPECT_EQ(error.message(), "There is not enough space on the disk");
    EXPECT_EQ(CTempDir::Read(target), before);
    EXPECT_EQ(EntriesIn(small), 2u) << "the temporary file stayed";
}

TEST(Win32AtomicSave, NamesOutsideTheCodePageAreSavedAndOpened) {
    CTempDir dir;
    const std::string name = "Konfiguration \xC3\xA4\xC3\xB6\xC3\xBC \xE2\x82\xAC \xE6\x97\xA5.s19";
    const std::string content = "S00F000068656C6C6F202020202000003C\r\nS70500000000FA\r\n";
    CQARNCfgDoc doc;
    dir.Write("plain.s19", content);
    ASSERT_FALSE(doc.OnOpenDocument(dir.File("plain.s19")));
    ASSERT_FALSE(doc.OnSaveDocument(dir.File(name)));
    // The file carries the name in UTF-16, as Windows shows it.
    const std::wstring wide = std::filesystem::path(dir.Path()).wstring() +
                              L"\\Konfiguration \u00E4\u00F6\u00FC \u20AC \u65E5.s19";
    EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_FALSE(doc.OnOpenDocument(dir.File(name)));
    EXPECT_EQ(doc.GetFileName(), name);
    CArchive ar(CArchive::load);
    ASSERT_FALSE(ar.Open(dir.Path() + "\\" + name));
    EXPECT_EQ(ar.GetFileName(), name)
        << "the caption names the file whichever separator its path has";
    std::string text;
    std::int64_t size = 0;
    EXPECT_FALSE(CFileReader::ReadRegularFile(dir.File(name), text, size));
    EXPECT_EQ(text, content);
    g_recordList.RemoveAll();
}

TEST(Win32FileReader, RefusesFoldersDevicesAndMissingFiles) {
    CTempDir dir;
    std::string text;
    std::int64_t size = 0;
    EXPECT_EQ(CFileReader::ReadRegularFile(dir.Path(), text, size), std::errc::is_a_directory);
    EXPECT_EQ(CFileReader::ReadRegularFile("NUL", text, size), ETovrikError::NotRegularFile);
    EXPECT_EQ(CFileReader::ReadRegularFile("\\\\.\\COM200", text, size),
              ETovrikError::NotRegularFile);
    const std::error_code missing = CFileReader::ReadRegularFile(dir.File("gone.s19"), text, size);
    EXPECT_EQ(missing, std::errc::no_such_file_or_directory);
    EXPECT_EQ(CErrorText::OpenFailed("gone.s19", missing),
              "Cannot open gone.s19: The system cannot find the file specified.");
}

TEST(Win32AtomicSave, CheckTargetAsksBeforeATransfer) {
    CTempDir dir;
    EXPECT_FALSE(CAtomicFile::CheckTarget(dir.File("new.s19")));
    EXPECT_EQ(EntriesIn(dir.Path()), 0u) << "the probe stayed";
    EXPECT_EQ(CAtomicFile::CheckTarget(dir.File("nowhere/new.s19")),
              std::errc::no_such_file_or_directory);
    EXPECT_EQ(CAtomicFile::CheckTarget(dir.Path()), std::errc::is_a_directory);
    EXPECT_EQ(CAtomicFile::CheckTarget("NUL"), ETovrikError::NotRegularFile);
}

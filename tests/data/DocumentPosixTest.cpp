#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "support/CTempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

TEST(DocumentPosix, SaveIntoAReadOnlyFolderKeepsTheOldFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only directories";
    }
    const std::string content = "S00F000068656C6C6F202020202000003C\r\nS70500000000FA\r\n";
    CTempDir dir;
    dir.Write("good.s19", content);
    CQARNCfgDoc doc;
    ASSERT_FALSE(doc.OnOpenDocument(dir.File("good.s19")));
    ::chmod(dir.Path().c_str(), 0555);
    EXPECT_EQ(doc.OnSaveDocument(dir.File("good.s19")), std::errc::permission_denied);
    EXPECT_EQ(CTempDir::Read(dir.File("good.s19")), content);
    ::chmod(dir.Path().c_str(), 0755);
    g_recordList.RemoveAll();
}

// The desktop program with something that is not a file where it saves, and
// with too little memory for the file it opens: it says so, and the
// configuration in memory, saved or not, stays as it was.
#include "tests/support/CAppTest.h"

#include "app/CDocumentCommands.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "tests/support/CAddressSpace.h"
#include "tests/support/CTestConfig.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include <string>

namespace {

class AppSafetyScenario : public AppTest {
protected:
    void TearDown() override {
        AppTest::TearDown();
        g_recordList.RemoveAll();
    }

    QString MakeFifo(const QString& name) const {
        QString path = PathOf(name);
        EXPECT_EQ(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        return path;
    }
    static bool IsFifo(const QString& path) {
        struct stat st {};
        return lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
    }
};

TEST_F(AppSafetyScenario, SaveAndSaveAsRefuseWhatIsNotAFile) {
    const QString opened = WriteFile("opened.s19", kSampleConfig);
    auto app = StartApp({opened});
    app->GetDocument()->SetModifiedFlag();

    m_chosenFile = MakeFifo("chosen.s19");
    EXPECT_FALSE(app->GetCommands().OnFileSaveAs());
    // The file opened was replaced by a FIFO behind the program's back.
    ASSERT_TRUE(QFile::remove(opened));
    MakeFifo("opened.s19");
    EXPECT_FALSE(app->GetCommands().OnFileSave());

    EXPECT_EQ(m_errors, (QStringList{"Cannot save " + m_chosenFile + ": it is not a regular file.",
                                     "Cannot save " + opened + ": it is not a regular file."}));
    EXPECT_TRUE(IsFifo(m_chosenFile));
    EXPECT_TRUE(IsFifo(opened));
    EXPECT_TRUE(app->GetDocument()->IsModified());
    EXPECT_EQ(app->GetDocument()->GetPathName(), opened.toStdString());

    // A link to a file that does not exist yet is saved through.
    ASSERT_TRUE(QFile::link(QStringLiteral("made.s19"), PathOf("link.s19")));
    m_chosenFile = PathOf("link.s19");
    EXPECT_TRUE(app->GetCommands().OnFileSaveAs());
    EXPECT_EQ(ReadFile(PathOf("made.s19")), QByteArray(kSampleConfig));
    EXPECT_TRUE(QFileInfo(PathOf("link.s19")).isSymLink());
}

// Opening a file too large for the memory left: a message, and the unsaved
// configuration in memory as it was. Runs in a child process whose address
// space is limited, as a death test does.
TEST_F(AppSafetyScenario, AFileTooLargeForTheMemoryLeavesTheUnsavedConfiguration) {
    if (const char* sanitizer = CAddressSpace::ReservingSanitizer()) {
        GTEST_SKIP() << "built with " << sanitizer
                     << ", which reserves terabytes of address space: no limit can be set";
    }
    const std::string content = CTestConfig::Joined(CTestConfig::Lines(350000));
    const QString big = WriteFile("big.s19", QByteArray::fromStdString(content));
    auto app = StartApp();
    CTestConfig::Load(*app->GetDocument(), CTestConfig::Lines(3));
    app->GetDocument()->SetModifiedFlag();  // as after an upload
    const std::string before = CTestConfig::InMemory(*app->GetDocument());

    // In the child: room for the file's text, not for the records parsed from it.
    auto openWithTooLittleMemory = [&] {
        const rlim_t room = CAddressSpace::InUse() + 2 * content.size();
        const rlimit limit{room, room};
        setrlimit(RLIMIT_AS, &limit);
        const bool opened = app->GetCommands().OpenDocumentFile(big.toStdString());
        const bool told = m_errors == QStringList{big + ": not enough memory"};
        const bool kept = CTestConfig::InMemory(*app->GetDocument()) == before &&
                          app->GetDocument()->IsModified();
        _exit(opened ? 1 : !told ? 2 : !kept ? 3 : 0);
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(openWithTooLittleMemory(), ::testing::ExitedWithCode(0), "");
}

}  // namespace

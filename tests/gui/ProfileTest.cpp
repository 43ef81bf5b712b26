#include "tests/support/CAppTest.h"

#include "app/CDocumentCommands.h"

#include "settings/CSystemContext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

class ProfileTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        qunsetenv("TOVRIK_COM1");
        qunsetenv("TOVRIK_COM2");
    }
};

TEST_F(ProfileTest, RecentFilesSurviveToTheNextStart) {
    const QString first = WriteFile("first.s19", kSampleConfig);
    const QString second = WriteFile("second.s19", kSampleConfig);
    {
        auto app = StartApp({first});
        m_chosenFile = PathOf("saved");
        ASSERT_TRUE(app->GetCommands().OnFileSaveAs());
        ASSERT_TRUE(app->GetCommands().OpenDocumentFile(second.toStdString()));
        app->ExitInstance();
    }
    auto next = StartApp();
    const CProfile& profile = next->GetContext().Profile();
    const std::string section = CRecentFileList::kSection;
    EXPECT_EQ(profile.GetProfileString(section, "File1"), second.toStdString());
    EXPECT_EQ(profile.GetProfileString(section, "File2"), PathOf("saved.s19").toStdString());
    EXPECT_EQ(profile.GetProfileString(section, "File3"), first.toStdString());
    EXPECT_EQ(next->GetRecentFileList().Files(),
              (std::vector<std::string>{second.toStdString(), PathOf("saved.s19").toStdString(),
                                        first.toStdString()}));
}

TEST_F(ProfileTest, AStartWithoutFilesWritesNothing) {
    auto app = StartApp();
    app->ExitInstance();
    EXPECT_FALSE(QFileInfo::exists(ProfileFilePath()));
}

TEST_F(ProfileTest, CorruptProfileStartsWithDefaults) {
    QDir().mkpath(QFileInfo(ProfileFilePath()).path());
    QFile file(ProfileFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("[Recent File List\n\x00\xff\xfe=File1=\n[PORTS]]]\nCOM1\n", 44));
    file.write(QByteArray(4096, '\x01'));
    file.close();

    auto app = StartApp();
    ASSERT_NE(app->GetMainFrame(), nullptr);
    EXPECT_TRUE(app->GetRecentFileList().Files().empty());
    EXPECT_EQ(app->GetContext().Ports().DeviceFor(1), "/dev/ttyS0");
}

TEST_F(ProfileTest, UnreadableProfileStartsWithDefaults) {
    // A folder where the file should be cannot be read, not even by root.
    ASSERT_TRUE(QDir().mkpath(ProfileFilePath()));
    auto app = StartApp();
    ASSERT_NE(app->GetMainFrame(), nullptr);
    EXPECT_TRUE(app->GetRecentFileList().Files().empty());
    app->GetRecentFileList().Add(PathOf("x.s19").toStdString());
    app->ExitInstance();  // cannot be written either, and must not fail
}

// A profile that is a FIFO would make the program wait for a writer at its
// first read; it is ignored, with a warning, and never opened.
TEST_F(ProfileTest, AProfileThatIsNotARegularFileIsIgnoredWithAWarning) {
    const QString profile = ProfileFilePath();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(profile).path()));
    ASSERT_EQ(mkfifo(QFile::encodeName(profile).constData(), 0644), 0);

    auto app = StartApp();
    app->GetRecentFileList().Add(PathOf("x.s19").toStdString());
    app->ExitInstance();
    const bool stillFifo = QFileInfo::exists(profile) && !QFileInfo(profile).isFile();
    QFile::remove(profile);  // before the next test reads the profile

    EXPECT_EQ(m_errors, QStringList{"The profile " + profile +
                                    " is not a regular file: it is ignored, and no choice is "
                                    "remembered."});
    EXPECT_EQ(app->GetRecentFileList().Files(),
              std::vector<std::string>{PathOf("x.s19").toStdString()});
    EXPECT_TRUE(stillFifo);
}

TEST_F(ProfileTest, PortDevicesComeFromThePortsSection) {
    ASSERT_FALSE(CSystemContext::ForThisMachine().Profile().WriteProfileString("PORTS", "COM1",
                                                                               "/dev/ttyUSB3"));
    auto app = StartApp();
    EXPECT_EQ(app->GetContext().Ports().DeviceFor(1), "/dev/ttyUSB3");
    EXPECT_EQ(app->GetContext().Ports().DeviceFor(2), "/dev/ttyS1");
}

}  // namespace

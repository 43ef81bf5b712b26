#include "gui/CCommandLineInfo.h"
#include "tests/support/CProcess.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, NoArgumentStartsANewDocument) {
    const CCommandLineInfo info = CCommandLineInfo::Parse({});
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileNew);
    EXPECT_TRUE(info.m_strFileName.isEmpty());
}

TEST(CommandLine, OneFileIsOpened) {
    CCommandLineInfo info = CCommandLineInfo::Parse({"backup.s19"});
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(info.m_strFileName, "backup.s19");

    // After "--" a name may start with a dash.
    info = CCommandLineInfo::Parse({"--", "-odd.s19"});
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(info.m_strFileName, "-odd.s19");
}

TEST(CommandLine, VersionAndHelpWinOverEverythingElse) {
    EXPECT_EQ(CCommandLineInfo::Parse({"--bogus", "a", "b", "--version"}).m_nShellCommand,
              CCommandLineInfo::PrintVersion);
    EXPECT_EQ(CCommandLineInfo::Parse({"a.s19", "-h"}).m_nShellCommand,
              CCommandLineInfo::PrintHelp);
    EXPECT_EQ(CCommandLineInfo::Parse({"--help"}).m_nShellCommand, CCommandLineInfo::PrintHelp);
    // Once options have ended, "--version" is a file name.
    EXPECT_EQ(CCommandLineInfo::Parse({"--", "--version"}).m_strFileName, "--version");
    EXPECT_EQ(CCommandLineInfo::VersionText(), "Tovrik 0.1.0.2");
}

TEST(CommandLine, UnknownOptionsAndSeveralFilesAreRefused) {
    CCommandLineInfo info = CCommandLineInfo::Parse({"--bogus", "a.s19"});
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::Invalid);
    EXPECT_TRUE(info.m_strError.contains("--bogus"));

    info = CCommandLineInfo::Parse({"a.s19", "b.s19"});
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::Invalid);
    EXPECT_FALSE(info.m_strError.isEmpty());
}

TEST(Program, PrintsItsVersionWithoutADisplay) {
    const auto result = CProcess::Run(TOVRIK_BINARY, {"--version"},
                                      {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"});
    EXPECT_EQ(result.nStatus, 0);
    EXPECT_EQ(result.strOut, "Tovrik 0.1.0.2\n");
}

TEST(Program, RefusesAnUnknownOptionWithoutAWindow) {
    const auto result = CProcess::Run(TOVRIK_BINARY, {"--bogus"}, {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(result.nStatus, 2);
    EXPECT_NE(result.strErr.find("--bogus"), std::string::npos) << result.strErr;
}

QByteArray ReadResource(const char* name) {
    QFile file(QStringLiteral(TOVRIK_RES_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The launcher and the file type must name the same MIME type, or the desktop
// never offers Tovrik for ".s19" files.
TEST(DesktopIntegration, LauncherAndFileTypeAgree) {
    const QString desktop = QString::fromUtf8(ReadResource("tovrik.desktop"));
    ASSERT_FALSE(desktop.isEmpty());
    const auto entry = [&](const char* key) {
        const QRegularExpression re(QStringLiteral("^%1=(.*)$").arg(QLatin1String(key)),
                                    QRegularExpression::MultilineOption);
        return re.match(desktop).captured(1);
    };
    EXPECT_EQ(entry("Name"), "Tovrik");
    EXPECT_TRUE(entry("Exec").startsWith("tovrik "));
    EXPECT_EQ(entry("Icon"), "tovrik");

    QXmlStreamReader xml(ReadResource("tovrik-mime.xml"));
    QString type, comment, glob;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == QLatin1String("mime-type")) {
            type = xml.attributes().value("type").toString();
        } else if (xml.name() == QLatin1String("comment")) {
            comment = xml.readElementText();
        } else if (xml.name() == QLatin1String("glob")) {
            glob = xml.attributes().value("pattern").toString();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(comment, "Tovrik Document");
    EXPECT_EQ(glob, "*.s19");
    EXPECT_TRUE(entry("MimeType").split(';').contains(type)) << type.toStdString();
}

}  // namespace

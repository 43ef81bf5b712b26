#include "gui/CCommandLineInfo.h"
#include "gui/CTovrikApp.h"
#include "platform/common/CStandardDescriptors.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (!CStandardDescriptors::OpenMissing()) {
        return 1;
    }
    // --version and --help are answered before Qt starts, so that they work
    // without a display.
    QStringList rawArgs;
    for (int i = 1; i < argc; ++i) {
        rawArgs << QString::fromLocal8Bit(argv[i]);
    }
    const CCommandLineInfo early = CCommandLineInfo::Parse(rawArgs);
    if (early.m_nShellCommand == CCommandLineInfo::PrintVersion) {
        std::printf("%s\n", qPrintable(CCommandLineInfo::VersionText()));
        return 0;
    }
    if (early.m_nShellCommand == CCommandLineInfo::PrintHelp) {
        std::printf("%s", qPrintable(CCommandLineInfo::Usage()));
        return 0;
    }

    QApplication qtApp(argc, argv);
    // Qt has taken its own options (-platform, -style, ...) out by now.
    const CCommandLineInfo info = CCommandLineInfo::Parse(QCoreApplication::arguments().mid(1));
    if (info.m_nShellCommand == CCommandLineInfo::Invalid) {
        std::fprintf(stderr, "tovrik: %s\n%s", qPrintable(info.m_strError),
                     qPrintable(CCommandLineInfo::Usage()));
        return 2;
    }

    CTovrikApp app;
    if (!app.InitInstance(info)) {
        app.ExitInstance();
        return 1;
    }
    const int status = QApplication::exec();
    app.ExitInstance();
    return status;
}

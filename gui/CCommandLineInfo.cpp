#include "gui/CCommandLineInfo.h"

#include "res/Version.h"

CCommandLineInfo CCommandLineInfo::Parse(const QStringList& args) {
    CCommandLineInfo info;
    QStringList files;
    bool optionsEnded = false;
    for (const QString& arg : args) {
        if (!optionsEnded && arg == QLatin1String("--version")) {
            info.m_nShellCommand = PrintVersion;
            return info;
        }
        if (!optionsEnded && (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
            info.m_nShellCommand = PrintHelp;
            return info;
        }
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && arg.startsWith('-') && arg.size() > 1) {
            if (info.m_strError.isEmpty()) {
                info.m_strError = QStringLiteral("Unknown option: %1").arg(arg);
            }
        } else {
            files << arg;
        }
    }
    // --version or --help later on the line would still have won, so errors
    // are only decided here.
    if (info.m_strError.isEmpty() && files.size() > 1) {
        info.m_strError =
            QStringLiteral("Only one file can be opened; %1 were named.").arg(files.size());
    }
    if (!info.m_strError.isEmpty()) {
        info.m_nShellCommand = Invalid;
    } else if (files.size() == 1) {
        info.m_nShellCommand = FileOpen;
        info.m_strFileName = files.front();
    }
    return info;
}

QString CCommandLineInfo::Usage() {
    return QStringLiteral(
        "Usage: tovrik [FILE.s19]\n"
        "Backs up and restores the configuration of a QARN device.\n"
        "\n"
        "  FILE.s19    open this configuration file at start-up\n"
        "  --version   print the version and exit\n"
        "  --help      print this help and exit\n");
}

QString CCommandLineInfo::VersionText() {
    return QStringLiteral("Tovrik " TOVRIK_VERSION);
}

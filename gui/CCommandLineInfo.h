#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of the program: start with a new document, open
// one file, or print the version or the usage and leave.
class CCommandLineInfo {
public:
    enum ShellCommand { FileNew, FileOpen, PrintVersion, PrintHelp, Invalid };

    // args without the program name. --version and --help win over anything
    // else, so that they work even beside arguments that would be refused.
    static CCommandLineInfo Parse(const QStringList& args);
    static QString Usage();
    // "Tovrik 0.1.0.2"
    static QString VersionText();

    ShellCommand m_nShellCommand = FileNew;
    QString m_strFileName;
    QString m_strError;  // why the command line was refused
};

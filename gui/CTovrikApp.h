#pragma once

#include "gui/CTransferDlg.h"

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

enum class ETransferMode : int;
class CCommandLineInfo;
class CMainFrame;
class CQARNCfgDoc;
class QWidget;

// The application: the profile, the recent-file list, the one document and the
// one main window, and the commands that belong to neither frame nor document
// (New, Open, Save, Save As, Exit, About).
//
// Every dialog that waits for the user goes through a replaceable hook, so that
// the commands can be driven without anyone at the keyboard.
class CTovrikApp : public QObject {
    Q_OBJECT
public:
    enum class FileDialog { Open, SaveAs };

    static constexpr const char* kRecentSection = "Recent File List";
    static constexpr int kRecentFileCount = 4;
    static constexpr const char* kFilter = "Tovrik Files (*.s19)";
    static constexpr const char* kExtension = ".s19";

    // Chooses a file; an empty result means the user cancelled.
    using FileChooser =
        std::function<QString(FileDialog kind, const QString& filter, const QString& proposedPath)>;
    // Asks whether to save a modified document: Save, Discard or Cancel.
    using SaveQuestion = std::function<QMessageBox::StandardButton(const QString& text)>;
    using ErrorReporter = std::function<void(const QString& text)>;
    using AboutRunner = std::function<void(QWidget* parent)>;
    // The transfer dialog's message boxes and questions.
    using BoxRunner = CTransferDlg::BoxRunner;

    CTovrikApp();
    ~CTovrikApp() override;
    CTovrikApp(const CTovrikApp&) = delete;
    CTovrikApp& operator=(const CTovrikApp&) = delete;

    // Sets up the profile, the document and the main window, and carries out
    // the command line. False when the program must end at once: a named file
    // that did not open (the user has been told why), or no main window.
    bool InitInstance(const CCommandLineInfo& info);
    // Writes the recent-file list back to the profile, if it changed.
    void ExitInstance();

    CQARNCfgDoc* GetDocument() const { return m_pDocument.get(); }
    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
    const QStringList& GetRecentFileList() const { return m_recentFiles; }

    // A file opened or saved goes to the top of the list.
    void AddToRecentFileList(const QString& path);

    // A file name as the user typed it in Save As, with ".s19" added when it
    // has no extension.
    static QString WithDefaultExtension(const QString& path);
    // What Save As proposes for a configuration without a file: a new name,
    // qarn-YYYYMMDD-HHMM.s19, in the folder last used.
    QString ProposedUploadPath() const;
    // Shows the document's title and summary in the main window.
    void UpdateFrame();

    // Routes a command of the menu, toolbar or keyboard.
    void OnCommand(int nID);
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnAppExit();
    void OnAppAbout();
    // Files dropped on the main window, opened one after the other.
    void OnDropFiles(const QStringList& paths);

    // Loads a file into the document without asking about the old one; on
    // failure the user is told and the document is unchanged.
    bool OpenDocumentFile(const QString& path);
    // True when the document may be replaced or the program closed: it is not
    // modified, or the user saved it or chose to discard it.
    bool SaveModified();

    void SetFileChooser(FileChooser chooser) { m_fileChooser = std::move(chooser); }
    void SetSaveQuestion(SaveQuestion question) { m_saveQuestion = std::move(question); }
    void SetErrorReporter(ErrorReporter reporter) { m_errorReporter = std::move(reporter); }
    void SetAboutRunner(AboutRunner runner) { m_aboutRunner = std::move(runner); }
    void SetBoxRunner(BoxRunner runner) { m_boxRunner = std::move(runner); }

private:
    void LoadStdProfileSettings();
    bool CreateMainFrame();
    void RunTransferDialog(CQARNCfgDoc& doc, ETransferMode nMode);
    bool SaveDocumentTo(const QString& path);
    // A file opened or saved: to the recent-file list, its folder remembered,
    // the window brought up to date.
    void NoteFileUsed(const QString& path);
    void NoteFolder(const QString& path);
    void ReportError(const QString& text) const;
    QWidget* DialogParent() const;

    QString ChooseFile(FileDialog kind, const QString& proposedPath) const;
    QMessageBox::StandardButton AskSave(const QString& text) const;

    std::unique_ptr<CQARNCfgDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    QStringList m_recentFiles;
    bool m_bRecentChanged = false;
    QString m_strLastFolder;  // of the file last opened or saved

    FileChooser m_fileChooser;
    SaveQuestion m_saveQuestion;
    ErrorReporter m_errorReporter;
    AboutRunner m_aboutRunner;
    BoxRunner m_boxRunner;
};

#pragma once

#include <ctime>
#include <string>
#include <vector>

class CQARNCfgDoc;
class CRecentFileList;
class IPrompter;

// The desktop program's file commands over its one document: New, Open, Save,
// Save As, the first save of an upload, files dropped on the window, and the
// question whether to save changes before the document is replaced or the
// program closes. What it asks and tells goes through the prompter; a front
// end draws the title and the summary again after each command.
class CDocumentCommands {
public:
    static constexpr const char* kAppTitle = "Tovrik";
    static constexpr const char* kFilter = "Tovrik Files (*.s19)";
    static constexpr const char* kExtension = "s19";

    // startFolder: where Open and Save As start before any file was used.
    CDocumentCommands(CQARNCfgDoc& doc, IPrompter& prompter, CRecentFileList& recent,
                      std::string startFolder);

    // Each returns true when it did what it was asked; false when the user
    // cancelled it or it failed, the user having been told why.
    bool OnFileNew();
    bool OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    // The Open dialog, started in the folder last used; "" when cancelled.
    std::string ChooseFileToOpen();
    // Opens `path` without asking about the document held: the command line.
    bool OpenDocumentFile(const std::string& path);
    // Files dropped on the main window, opened one after the other as Open
    // opens them; the last one stays.
    void OnDropFiles(const std::vector<std::string>& paths);
    // Before the document is replaced (New, Open, Upload) or the program
    // closes: true when it may go, because it has no unsaved changes or the
    // user saved them or chose to discard them.
    bool SaveModified();

    // What Save As proposes for a configuration without a file: a name that no
    // file has yet, qarn-YYYYMMDD-HHMM.s19 and then -2, -3, ..., in the folder
    // last used.
    std::string ProposedUploadPath(std::time_t now) const;

private:
    // Saves to `path`, asking first when that is the document's own file and
    // saving would lose what the file holds beyond the configuration.
    bool SaveDocumentTo(const std::string& path);
    bool ConfirmRewrite(const std::string& path);
    void NoteFileUsed(const std::string& path);
    void ReportError(const std::string& text);

    CQARNCfgDoc& m_doc;
    IPrompter& m_prompter;
    CRecentFileList& m_recent;
    std::string m_strLastFolder;
};

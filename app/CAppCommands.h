#pragma once

#include "app/CCompareCommands.h"
#include "app/CDocumentCommands.h"

#include <string>
#include <vector>

class CQARNCfgDoc;
class CRecentFileList;
class IAppFrontEnd;
class IPrompter;

// The desktop program's commands, whatever the menu, toolbar or key that
// gave them.
enum class EAppCommand {
    FileNew,
    FileOpen,
    FileSave,
    FileSaveAs,
    Download,
    Upload,
    CompareWithFile,
    CompareWithDevice,
    About,
    Exit,
};

// Routes each command of a front end to what decides it, and has the front
// end draw the main window again after it.
class CAppCommands {
public:
    CAppCommands(CQARNCfgDoc& doc, IPrompter& prompter, CRecentFileList& recent,
                 std::string startFolder, IAppFrontEnd& frontEnd);

    void OnCommand(EAppCommand eCommand);
    void OnDropFiles(const std::vector<std::string>& paths);
    // The main window is asked to close: true when it may.
    bool CanClose();
    // Has the front end draw the title, the summary and the strip.
    void UpdateFrame();

    CDocumentCommands& Documents() { return m_documents; }
    CCompareCommands& Compare() { return m_compare; }

private:
    void CompareWithDevice();

    CQARNCfgDoc& m_doc;
    IAppFrontEnd& m_frontEnd;
    CDocumentCommands m_documents;
    CCompareCommands m_compare;
};

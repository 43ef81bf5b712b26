#pragma once

#include "CMainFrame.h"
#include "CWin32Prompter.h"
#include "IAppCommands.h"
#include "app/CRecentFileList.h"
#include "core/transfer/CTransferTiming.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class ETransferMode : int;
class CDocumentCommands;
class CQARNCfgDoc;
class CSystemContext;

// tovrik.exe's application: the one document, the main window, and the
// routing of their commands to the application layer, which decides what
// each does. It draws the title and the summary again after every command.
class CTovrikApp : public IAppCommands {
public:
    // Message boxes, questions and file dialogs go to `pPrompter`, or to
    // Windows' own when it is null.
    explicit CTovrikApp(CSystemContext& context, IPrompter* pPrompter = nullptr);
    ~CTovrikApp() override;
    CTovrikApp(const CTovrikApp&) = delete;
    CTovrikApp& operator=(const CTovrikApp&) = delete;

    // The recent files, the document and the main window (made, not shown),
    // with the file `args` names opened. False when the program must end at
    // once: more than one argument, a named file that did not open, no main
    // window; the user has been told why.
    bool InitInstance(const std::vector<std::string>& args);
    // Writes the recent-file list back to the profile, if it changed.
    void ExitInstance();

    CMainFrame& GetMainFrame() { return m_frame; }
    CQARNCfgDoc& GetDocument() { return *m_pDocument; }
    CDocumentCommands& GetCommands() { return *m_pCommands; }
    // Pauses shorter than the device's, for tests.
    void SetTiming(const CTransferTiming& timing) { m_timing = timing; }

    // -- IAppCommands ----------------------------------------------------------
    void OnCommand(unsigned nID) override;
    void OnDropFiles(const std::vector<std::string>& paths) override;
    bool CanClose() override;

private:
    void RunTransferDialog(ETransferMode eMode);
    void UpdateFrame();
    void ReportError(const std::string& text);
    IPrompter& Prompter();

    CSystemContext& m_context;
    IPrompter* m_pPrompter;
    CWin32Prompter m_win32Prompter;
    CRecentFileList m_recent;
    std::unique_ptr<CQARNCfgDoc> m_pDocument;
    std::unique_ptr<CDocumentCommands> m_pCommands;
    CMainFrame m_frame;
    std::optional<CTransferTiming> m_timing;
};

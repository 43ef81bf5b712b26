#pragma once

#include "CMainFrame.h"
#include "CWin32Prompter.h"
#include "IAppCommands.h"
#include "app/CRecentFileList.h"
#include "app/IAppFrontEnd.h"
#include "core/transfer/CTransferTiming.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CAppCommands;
class CQARNCfgDoc;
class CSystemContext;

// tovrik.exe's application: the one document, the main window, and the
// routing of the window's commands to the application layer, which decides
// what each does and has the window drawn again after it.
class CTovrikApp : public IAppCommands, public IAppFrontEnd {
public:
    // Message boxes, questions, file dialogs and reports go to `pPrompter`, or
    // to Windows' own when it is null.
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
    CAppCommands& GetCommands() { return *m_pCommands; }
    // Pauses shorter than the device's, for tests.
    void SetTiming(const CTransferTiming& timing) { m_timing = timing; }

    // -- IAppCommands ----------------------------------------------------------
    void OnCommand(unsigned nID) override;
    void OnDropFiles(const std::vector<std::string>& paths) override;
    bool CanClose() override;

    // -- IAppFrontEnd ----------------------------------------------------------
    std::optional<CCompareReport> RunTransferDialog(ETransferMode eMode, bool bCompare) override;
    void ShowAbout() override;
    void CloseMainWindow() override;
    void ShowFrame(const std::string& title, const std::vector<std::string>& lines,
                   const CConfigStrip& strip) override;

private:
    void ReportError(const std::string& text);
    IPrompter& Prompter();

    CSystemContext& m_context;
    IPrompter* m_pPrompter;
    CWin32Prompter m_win32Prompter;
    CRecentFileList m_recent;
    std::unique_ptr<CQARNCfgDoc> m_pDocument;
    std::unique_ptr<CAppCommands> m_pCommands;
    CMainFrame m_frame;
    std::optional<CTransferTiming> m_timing;
};

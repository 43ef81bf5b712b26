#pragma once

#include "app/CRecentFileList.h"
#include "app/IAppFrontEnd.h"
#include "gui/CQtPrompter.h"
#include "settings/CSystemContext.h"

#include <QObject>
#include <QStringList>

#include <memory>

class CAppCommands;
class CCommandLineInfo;
class CDocumentCommands;
class CMainFrame;
class CQARNCfgDoc;
class IPrompter;

// The Qt application: the one document, the one main window, and the routing
// of their commands to the application layer, which decides what each does
// and has the windows drawn.
class CTovrikApp : public QObject, public IAppFrontEnd {
    Q_OBJECT
public:
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
    CRecentFileList& GetRecentFileList() { return m_recent; }
    CDocumentCommands& GetCommands() const;

    // Every message box, question and file dialog of the program and its
    // transfer dialog goes to `prompter` from now on; null gives Qt's own.
    void SetPrompter(IPrompter* prompter);
    // What the program knows of the machine; made for this one at start
    // unless a test set its own before.
    void SetContext(std::unique_ptr<CSystemContext> context) { m_pContext = std::move(context); }
    CSystemContext& GetContext() { return *m_pContext; }

    // Routes a command of the menu, toolbar or keyboard.
    void OnCommand(int nID);
    // Files dropped on the main window, opened one after the other.
    void OnDropFiles(const QStringList& paths);

    // -- IAppFrontEnd ----------------------------------------------------------
    std::optional<CCompareReport> RunTransferDialog(ETransferMode eMode, bool bCompare) override;
    void ShowAbout() override;
    void CloseMainWindow() override;
    void ShowFrame(const std::string& title, const std::vector<std::string>& lines,
                   const CConfigStrip& strip) override;

private:
    bool CreateMainFrame();
    void ReportError(const QString& text);
    IPrompter& Prompter();

    std::unique_ptr<CSystemContext> m_pContext;
    std::unique_ptr<CQARNCfgDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    CRecentFileList m_recent;
    CQtPrompter m_qtPrompter;
    IPrompter* m_pPrompter = nullptr;
    std::unique_ptr<CAppCommands> m_pCommands;
};

#include "CTovrikApp.h"

#include "CAboutDlg.h"
#include "CTransferDlg.h"
#include "app/CDocumentCommands.h"
#include "app/CDocumentSummary.h"
#include "core/data/CQARNCfgDoc.h"
#include "platform/common/Win32Text.h"
#include "resource.h"
#include "settings/CSystemContext.h"

#include <shlobj.h>

namespace {

// Where Open and Save As start before any file was used: the user's
// Documents folder.
std::string DocumentsFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) {
        return {};
    }
    return Win32Text::Narrow(folder);
}

}  // namespace

CTovrikApp::CTovrikApp(CSystemContext& context, IPrompter* pPrompter)
    : m_context(context), m_pPrompter(pPrompter) {}

// The window goes before the document it shows.
CTovrikApp::~CTovrikApp() = default;

IPrompter& CTovrikApp::Prompter() {
    return m_pPrompter != nullptr ? *m_pPrompter : m_win32Prompter;
}

bool CTovrikApp::InitInstance(const std::vector<std::string>& args) {
    m_recent.Load(m_context.Profile());
    if (const std::string warning = m_context.Profile().GetWarning(); !warning.empty()) {
        ReportError(warning);
    }
    m_pDocument = std::make_unique<CQARNCfgDoc>();
    m_pCommands =
        std::make_unique<CDocumentCommands>(*m_pDocument, Prompter(), m_recent, DocumentsFolder());

    if (args.size() > 1) {
        ReportError("Tovrik opens one file at a time: tovrik.exe [FILE.s19]");
        return false;
    }
    if (args.empty()) {
        if (!m_pDocument->OnNewDocument()) {
            ReportError("A new document could not be created.");
            return false;
        }
    } else if (!m_pCommands->OpenDocumentFile(args.front())) {
        return false;
    }

    if (!m_frame.Create()) {
        ReportError("The main window could not be created.");
        return false;
    }
    m_win32Prompter.SetMainWindow(m_frame.GetSafeHwnd());
    m_frame.SetAppCommands(this);
    UpdateFrame();
    return true;
}

void CTovrikApp::ExitInstance() {
    if (const std::error_code error = m_recent.Save(m_context.Profile())) {
        // The program is closing: the list is lost, and the user is told so.
        ReportError("The recent-file list was not remembered: " + error.message() + ".");
    }
}

void CTovrikApp::OnCommand(unsigned nID) {
    switch (nID) {
        case ID_FILE_NEW:
            m_pCommands->OnFileNew();
            break;
        case ID_FILE_OPEN:
            m_pCommands->OnFileOpen();
            break;
        case ID_FILE_SAVE:
            m_pCommands->OnFileSave();
            break;
        case ID_FILE_SAVE_AS:
            m_pCommands->OnFileSaveAs();
            break;
        case ID_FILE_DOWNLOAD:
            RunTransferDialog(ETransferMode::Download);
            break;
        case ID_FILE_UPLOAD:
            // An upload replaces the configuration: unsaved changes are asked
            // about first, as New and Open do.
            if (m_pCommands->SaveModified()) {
                RunTransferDialog(ETransferMode::Upload);
            }
            break;
        default:
            break;
    }
    UpdateFrame();
}

void CTovrikApp::OnDropFiles(const std::vector<std::string>& paths) {
    m_pCommands->OnDropFiles(paths);
    UpdateFrame();
}

bool CTovrikApp::CanClose() {
    const bool bMayClose = m_pCommands->SaveModified();
    UpdateFrame();
    return bMayClose;
}

void CTovrikApp::RunTransferDialog(ETransferMode eMode) {
    CTransferDlg dialog(Prompter(), m_context);
    if (m_timing) {
        dialog.Presenter().SetTiming(*m_timing);
    }
    if (dialog.DoModal(m_frame.GetSafeHwnd(), *m_pDocument, eMode) == -1) {
        ReportError("The transfer dialog could not be opened.");
    }
}

void CTovrikApp::UpdateFrame() {
    if (m_frame.GetSafeHwnd() == nullptr) {
        return;
    }
    SetWindowTextW(m_frame.GetSafeHwnd(),
                   Win32Text::Widen(CDocumentSummary::Title(*m_pDocument)).c_str());
    m_frame.SetSummary(CDocumentSummary::Lines(*m_pDocument));
}

void CTovrikApp::ReportError(const std::string& text) {
    CMessageBox box;
    box.eIcon = EBoxIcon::Warning;
    box.strCaption = CDocumentCommands::kAppTitle;
    box.strText = text;
    Prompter().Show(box);
}

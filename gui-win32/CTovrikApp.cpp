#include "CTovrikApp.h"

#include "CAboutDlg.h"
#include "CCommandIds.h"
#include "CTransferDlg.h"
#include "app/CAppCommands.h"
#include "app/CConfigStrip.h"
#include "core/data/CQARNCfgDoc.h"
#include "platform/common/Win32Text.h"
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
    m_pCommands = std::make_unique<CAppCommands>(*m_pDocument, Prompter(), m_recent,
                                                 DocumentsFolder(), *this);

    if (args.size() > 1) {
        ReportError("Tovrik opens one file at a time: tovrik.exe [FILE.s19]");
        return false;
    }
    if (args.empty()) {
        if (!m_pDocument->OnNewDocument()) {
            ReportError("A new document could not be created.");
            return false;
        }
    } else if (!m_pCommands->Documents().OpenDocumentFile(args.front())) {
        return false;
    }

    if (!m_frame.Create()) {
        ReportError("The main window could not be created.");
        return false;
    }
    m_win32Prompter.SetMainWindow(m_frame.GetSafeHwnd());
    m_frame.SetAppCommands(this);
    m_pCommands->UpdateFrame();
    return true;
}

void CTovrikApp::ExitInstance() {
    if (const std::string text = m_recent.SaveOnExit(m_context.Profile()); !text.empty()) {
        ReportError(text);
    }
}

void CTovrikApp::OnCommand(unsigned nID) {
    if (const std::optional<EAppCommand> command = CCommandIds::Find(nID)) {
        m_pCommands->OnCommand(*command);
    }
}

void CTovrikApp::OnDropFiles(const std::vector<std::string>& paths) {
    m_pCommands->OnDropFiles(paths);
}

bool CTovrikApp::CanClose() {
    return m_pCommands->CanClose();
}

std::optional<CCompareReport> CTovrikApp::RunTransferDialog(ETransferMode eMode, bool bCompare) {
    CTransferDlg dialog(Prompter(), m_context);
    if (m_timing) {
        dialog.Presenter().SetTiming(*m_timing);
    }
    if (dialog.DoModal(m_frame.GetSafeHwnd(), *m_pDocument, eMode, bCompare) == -1) {
        ReportError("The transfer dialog could not be opened.");
        return std::nullopt;
    }
    return dialog.Presenter().TakeCompared();
}

void CTovrikApp::ShowAbout() {
    CAboutDlg about;
    about.DoModal(m_frame.GetSafeHwnd());
}

void CTovrikApp::CloseMainWindow() {
    SendMessageW(m_frame.GetSafeHwnd(), WM_CLOSE, 0, 0);
}

void CTovrikApp::ShowFrame(const std::string& title, const std::vector<std::string>& lines,
                           const CConfigStrip& strip) {
    if (m_frame.GetSafeHwnd() == nullptr) {
        return;  // closed by the command just carried out
    }
    SetWindowTextW(m_frame.GetSafeHwnd(), Win32Text::Widen(title).c_str());
    m_frame.SetSummary(lines);
    m_frame.SetStrip(strip);
}

void CTovrikApp::ReportError(const std::string& text) {
    Prompter().Show(CMessageBox::Tell(EBoxIcon::Warning, CDocumentCommands::kAppTitle, text));
}

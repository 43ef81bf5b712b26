#include "gui/CTovrikApp.h"

#include "app/CAppCommands.h"
#include "app/CDocumentCommands.h"
#include "core/data/CQARNCfgDoc.h"
#include "gui/CAboutDlg.h"
#include "gui/CCommandLineInfo.h"
#include "gui/CCommandTable.h"
#include "gui/CConfigView.h"
#include "gui/CMainFrame.h"
#include "gui/CStripWidget.h"
#include "gui/CSvgImage.h"
#include "gui/CTransferDlg.h"
#include "res/Version.h"
#include "settings/CProfile.h"
#include "settings/CSystemContext.h"

#include <QApplication>
#include <QDir>
#include <QFile>

namespace {

// Paths travel as the file system's own bytes.
std::string ToFileSystem(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromFileSystem(const std::string& text) {
    return QFile::decodeName(QByteArray::fromStdString(text));
}

}  // namespace

CTovrikApp::CTovrikApp() = default;

CTovrikApp::~CTovrikApp() = default;

CDocumentCommands& CTovrikApp::GetCommands() const {
    return m_pCommands->Documents();
}

void CTovrikApp::SetPrompter(IPrompter* prompter) {
    m_pPrompter = prompter;
}

IPrompter& CTovrikApp::Prompter() {
    if (m_pPrompter != nullptr) {
        return *m_pPrompter;
    }
    return m_qtPrompter;
}

bool CTovrikApp::InitInstance(const CCommandLineInfo& info) {
    QCoreApplication::setOrganizationName(QString::fromUtf8(CProfile::kOrganization));
    QCoreApplication::setApplicationName(QString::fromUtf8(CProfile::kApplication));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOVRIK_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("tovrik"));
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QGuiApplication::setWindowIcon(CSvgImage::AppIcon());
    }

    if (!m_pContext) {
        m_pContext = std::make_unique<CSystemContext>(CSystemContext::ForThisMachine());
    }
    m_recent.Load(m_pContext->Profile());
    if (const std::string warning = m_pContext->Profile().GetWarning(); !warning.empty()) {
        ReportError(QString::fromStdString(warning));
    }

    m_pDocument = std::make_unique<CQARNCfgDoc>();
    m_pCommands = std::make_unique<CAppCommands>(*m_pDocument, Prompter(), m_recent,
                                                 ToFileSystem(QDir::homePath()), *this);

    switch (info.m_nShellCommand) {
        case CCommandLineInfo::FileNew:
            if (!m_pDocument->OnNewDocument()) {
                ReportError(QStringLiteral("A new document could not be created."));
                return false;
            }
            break;
        case CCommandLineInfo::FileOpen:
            if (!GetCommands().OpenDocumentFile(ToFileSystem(info.m_strFileName))) {
                return false;
            }
            break;
        case CCommandLineInfo::Invalid:
            ReportError(info.m_strError);
            return false;
        case CCommandLineInfo::PrintVersion:
        case CCommandLineInfo::PrintHelp:
            // Answered before the application starts; nothing to show here.
            return false;
    }

    if (!CreateMainFrame()) {
        ReportError(QStringLiteral("The main window could not be created."));
        return false;
    }
    m_qtPrompter.SetParent(m_pMainFrame.get());
    m_pCommands->UpdateFrame();
    m_pMainFrame->show();
    return true;
}

void CTovrikApp::ExitInstance() {
    if (const std::string text = m_recent.SaveOnExit(m_pContext->Profile()); !text.empty()) {
        ReportError(QString::fromStdString(text));
    }
}

bool CTovrikApp::CreateMainFrame() {
    auto frame = std::make_unique<CMainFrame>();
    if (!frame->LoadFrame()) {
        return false;
    }
    connect(frame.get(), &CMainFrame::commandIssued, this, &CTovrikApp::OnCommand);
    // Dropped files are opened once the drag is over, so that a message box
    // does not hold the drag source waiting.
    connect(frame.get(), &CMainFrame::filesDropped, this, &CTovrikApp::OnDropFiles,
            Qt::QueuedConnection);
    frame->SetCloseQuery([this] { return m_pCommands->CanClose(); });
    m_pMainFrame = std::move(frame);
    return true;
}

void CTovrikApp::OnCommand(int nID) {
    if (const auto eCommand = CCommandTable::AppCommand(nID)) {
        m_pCommands->OnCommand(*eCommand);
    }
}

void CTovrikApp::OnDropFiles(const QStringList& paths) {
    std::vector<std::string> files;
    files.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths) {
        files.push_back(ToFileSystem(path));
    }
    m_pCommands->OnDropFiles(files);
}

std::optional<CCompareReport> CTovrikApp::RunTransferDialog(ETransferMode eMode, bool bCompare) {
    CTransferDlg dlg(Prompter(), *m_pContext, m_pMainFrame.get());
    dlg.DoModal(m_pDocument.get(), eMode, bCompare);
    return dlg.Presenter().TakeCompared();
}

void CTovrikApp::ShowAbout() {
    CAboutDlg dlg(m_pMainFrame.get());
    dlg.exec();
}

void CTovrikApp::CloseMainWindow() {
    m_pMainFrame->close();
}

void CTovrikApp::ShowFrame(const std::string& title, const std::vector<std::string>& lines,
                           const CConfigStrip& strip) {
    if (!m_pMainFrame) {
        return;
    }
    m_pMainFrame->setWindowTitle(FromFileSystem(title));
    m_pMainFrame->GetView()->OnUpdate(lines);
    m_pMainFrame->GetStrip()->ShowStrip(strip);
}

void CTovrikApp::ReportError(const QString& text) {
    Prompter().Show(
        CMessageBox::Tell(EBoxIcon::Warning, CDocumentCommands::kAppTitle, text.toStdString()));
}

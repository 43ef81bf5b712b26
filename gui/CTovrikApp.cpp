#include "gui/CTovrikApp.h"

#include "data/CQARNCfgDoc.h"
#include "gui/CAboutDlg.h"
#include "gui/CCommandLineInfo.h"
#include "gui/CCommandTable.h"
#include "gui/CConfigView.h"
#include "gui/CMainFrame.h"
#include "gui/CSvgImage.h"
#include "gui/CTransferDlg.h"
#include "res/Version.h"
#include "settings/CProfile.h"
#include "settings/CTransferSettings.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

namespace {

std::string ToFileSystem(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromFileSystem(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string RecentKey(int index) {
    return "File" + std::to_string(index + 1);
}

}  // namespace

CTovrikApp::CTovrikApp() = default;

CTovrikApp::~CTovrikApp() = default;

bool CTovrikApp::InitInstance(const CCommandLineInfo& info) {
    QCoreApplication::setOrganizationName(QString::fromUtf8(CProfile::kOrganization));
    QCoreApplication::setApplicationName(QString::fromUtf8(CProfile::kApplication));
    QCoreApplication::setApplicationVersion(QStringLiteral(TOVRIK_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("tovrik"));
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QGuiApplication::setWindowIcon(CSvgImage::AppIcon());
    }

    LoadStdProfileSettings();
    CTransferSettings::LoadPortDevices();
    if (const std::string warning = CProfile::GetWarning(); !warning.empty()) {
        ReportError(QString::fromStdString(warning));
    }

    m_pDocument = std::make_unique<CQARNCfgDoc>();
    m_pDocument->SetTransferLauncher(
        [this](CQARNCfgDoc& doc, ETransferMode nMode) { RunTransferDialog(doc, nMode); });

    switch (info.m_nShellCommand) {
        case CCommandLineInfo::FileNew:
            if (!m_pDocument->OnNewDocument()) {
                ReportError(QStringLiteral("A new document could not be created."));
                return false;
            }
            break;
        case CCommandLineInfo::FileOpen:
            if (!OpenDocumentFile(info.m_strFileName)) {
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
    UpdateFrame();
    m_pMainFrame->show();
    return true;
}

void CTovrikApp::ExitInstance() {
    if (!m_bRecentChanged) {
        return;
    }
    for (int i = 0; i < kRecentFileCount; ++i) {
        CProfile::WriteProfileString(kRecentSection, RecentKey(i),
                                     m_recentFiles.value(i).toStdString());
    }
    m_bRecentChanged = false;
}

void CTovrikApp::LoadStdProfileSettings() {
    m_recentFiles.clear();
    for (int i = 0; i < kRecentFileCount; ++i) {
        const QString path =
            QString::fromStdString(CProfile::GetProfileString(kRecentSection, RecentKey(i)));
        if (!path.isEmpty() && !m_recentFiles.contains(path)) {
            m_recentFiles << path;
        }
    }
    m_bRecentChanged = false;
    m_strLastFolder = m_recentFiles.isEmpty()
                          ? QDir::homePath()
                          : QFileInfo(m_recentFiles.constFirst()).absolutePath();
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
    frame->SetCloseQuery([this] { return SaveModified(); });
    m_pMainFrame = std::move(frame);
    return true;
}

void CTovrikApp::AddToRecentFileList(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_recentFiles.removeAll(absolute);
    m_recentFiles.prepend(absolute);
    while (m_recentFiles.size() > kRecentFileCount) {
        m_recentFiles.removeLast();
    }
    m_bRecentChanged = true;
}

QString CTovrikApp::WithDefaultExtension(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) {
        return path;
    }
    // "name." has an empty suffix too; it gets no second dot.
    return path.endsWith('.') ? path + QStringLiteral("s19") : path + QString::fromUtf8(kExtension);
}

QString CTovrikApp::ProposedUploadPath() const {
    const QString name =
        QDateTime::currentDateTime().toString(QStringLiteral("'qarn-'yyyyMMdd-HHmm"));
    return QDir(m_strLastFolder).filePath(name + QString::fromUtf8(kExtension));
}

void CTovrikApp::UpdateFrame() {
    if (!m_pMainFrame) {
        return;
    }
    m_pMainFrame->setWindowTitle(FromFileSystem(m_pDocument->GetCaption()));
    m_pMainFrame->GetView()->OnUpdate(*m_pDocument);
}

void CTovrikApp::OnCommand(int nID) {
    switch (nID) {
        case ID_FILE_NEW:
            OnFileNew();
            break;
        case ID_FILE_OPEN:
            OnFileOpen();
            break;
        case ID_FILE_SAVE:
            OnFileSave();
            break;
        case ID_FILE_SAVE_AS:
            OnFileSaveAs();
            break;
        case ID_FILE_DOWNLOAD:
            m_pDocument->OnFileDownload();
            break;
        case ID_FILE_UPLOAD:
            m_pDocument->OnFileUpload();
            break;
        case ID_APP_ABOUT:
            OnAppAbout();
            break;
        case ID_APP_EXIT:
            OnAppExit();
            break;
        default:
            break;
    }
}

void CTovrikApp::OnFileNew() {
    if (!SaveModified()) {
        return;
    }
    if (!m_pDocument->OnNewDocument()) {
        ReportError(QStringLiteral("A new document could not be created."));
    }
    UpdateFrame();
}

void CTovrikApp::OnFileOpen() {
    if (!SaveModified()) {
        return;
    }
    const QString path = ChooseFile(FileDialog::Open, QString());
    if (!path.isEmpty()) {
        OpenDocumentFile(path);
    }
}

bool CTovrikApp::OnFileSave() {
    const QString path = FromFileSystem(m_pDocument->GetPathName());
    if (path.isEmpty()) {
        return OnFileSaveAs();
    }
    return SaveDocumentTo(path);
}

bool CTovrikApp::OnFileSaveAs() {
    // A configuration without a file (an upload) gets a new name, so that no
    // backup is overwritten unless the user picks it here.
    QString proposed = FromFileSystem(m_pDocument->GetPathName());
    if (proposed.isEmpty()) {
        proposed = ProposedUploadPath();
    }
    const QString path = WithDefaultExtension(ChooseFile(FileDialog::SaveAs, proposed));
    if (path.isEmpty()) {
        return false;
    }
    return SaveDocumentTo(path);
}

void CTovrikApp::OnAppExit() {
    if (m_pMainFrame) {
        m_pMainFrame->close();
    }
}

void CTovrikApp::OnAppAbout() {
    if (m_aboutRunner) {
        m_aboutRunner(DialogParent());
        return;
    }
    CAboutDlg dlg(DialogParent());
    dlg.exec();
}

void CTovrikApp::OnDropFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        const QFileInfo file(path);
        if (file.isDir()) {
            ReportError(QStringLiteral("%1 is a folder, not a Tovrik file (*.s19).")
                            .arg(QDir::toNativeSeparators(path)));
            continue;
        }
        if (file.suffix().compare(QStringLiteral("s19"), Qt::CaseInsensitive) != 0) {
            ReportError(QStringLiteral("%1 is not a Tovrik file (*.s19) and was not opened.")
                            .arg(QDir::toNativeSeparators(path)));
            continue;
        }
        if (!SaveModified()) {
            return;
        }
        OpenDocumentFile(path);
    }
}

bool CTovrikApp::OpenDocumentFile(const QString& path) {
    const std::string file = ToFileSystem(path);
    if (const std::error_code error = m_pDocument->OnOpenDocument(file)) {
        ReportError(FromFileSystem(CDocument::OpenErrorMessage(file, error)));
        return false;
    }
    NoteFileUsed(path);
    return true;
}

bool CTovrikApp::SaveModified() {
    if (!m_pDocument || !m_pDocument->IsModified()) {
        return true;
    }
    const QString path = FromFileSystem(m_pDocument->GetPathName());
    const QString name =
        path.isEmpty() ? QString::fromUtf8(CQARNCfgDoc::kUntitled) : QFileInfo(path).fileName();
    switch (AskSave(QStringLiteral("Save changes to %1?").arg(name))) {
        case QMessageBox::Save:
            return OnFileSave();
        case QMessageBox::Discard:
            return true;
        default:
            return false;
    }
}

bool CTovrikApp::SaveDocumentTo(const QString& path) {
    const std::string file = ToFileSystem(path);
    if (const std::error_code error = m_pDocument->OnSaveDocument(file)) {
        ReportError(FromFileSystem(CDocument::SaveErrorMessage(file, error)));
        return false;
    }
    NoteFileUsed(path);
    return true;
}

void CTovrikApp::NoteFileUsed(const QString& path) {
    AddToRecentFileList(path);
    NoteFolder(path);
    UpdateFrame();
}

void CTovrikApp::NoteFolder(const QString& path) {
    m_strLastFolder = QFileInfo(path).absolutePath();
}

void CTovrikApp::RunTransferDialog(CQARNCfgDoc& doc, ETransferMode nMode) {
    CTransferDlg dlg(DialogParent());
    dlg.SetBoxRunner(m_boxRunner);
    dlg.DoModal(&doc, nMode);
    UpdateFrame();
}

void CTovrikApp::ReportError(const QString& text) const {
    if (m_errorReporter) {
        m_errorReporter(text);
        return;
    }
    QMessageBox::warning(DialogParent(), CCommandTable::LoadString(AFX_IDS_APP_TITLE), text);
}

QWidget* CTovrikApp::DialogParent() const {
    return m_pMainFrame.get();
}

QString CTovrikApp::ChooseFile(FileDialog kind, const QString& proposedPath) const {
    const QString filter = QString::fromUtf8(kFilter);
    if (m_fileChooser) {
        return m_fileChooser(kind, filter, proposedPath);
    }
    const bool open = kind == FileDialog::Open;
    QFileDialog dialog(DialogParent(), open ? QStringLiteral("Open") : QStringLiteral("Save As"),
                       QString(), filter);
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The dialog adds the extension itself, so its overwrite question names
    // the file that will really be written.
    dialog.setDefaultSuffix(QString::fromUtf8(kExtension).mid(1));
    if (!proposedPath.isEmpty()) {
        dialog.selectFile(proposedPath);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QMessageBox::StandardButton CTovrikApp::AskSave(const QString& text) const {
    if (m_saveQuestion) {
        return m_saveQuestion(text);
    }
    return QMessageBox::question(DialogParent(), CCommandTable::LoadString(AFX_IDS_APP_TITLE), text,
                                 QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                 QMessageBox::Save);
}

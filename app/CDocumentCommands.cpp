#include "app/CDocumentCommands.h"

#include "app/CErrorText.h"
#include "app/CRecentFileList.h"
#include "app/IPrompter.h"
#include "core/data/CConfigCheck.h"
#include "core/data/CQARNCfgDoc.h"
#include "platform/common/CLocalTime.h"
#include "platform/common/CPathName.h"

namespace {

constexpr const char* kUntitled = "Untitled";
constexpr const char* kUploadPrefix = "qarn-";

std::string Count(std::size_t n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

// A name typed without an extension gets ".s19"; "name." gets no second dot.
std::string WithDefaultExtension(const std::string& path) {
    const std::string name = CPathName::FileName(path);
    if (path.empty() || (name.find('.') != std::string::npos && name.back() != '.')) {
        return path;
    }
    return path + (name.back() == '.' ? "" : ".") + CDocumentCommands::kExtension;
}

}  // namespace

CDocumentCommands::CDocumentCommands(CQARNCfgDoc& doc, IPrompter& prompter, CRecentFileList& recent,
                                     std::string startFolder)
    : m_doc(doc),
      m_prompter(prompter),
      m_recent(recent),
      m_strLastFolder(recent.Files().empty() ? std::move(startFolder)
                                             : CPathName::Folder(recent.Files().front())) {}

bool CDocumentCommands::OnFileNew() {
    if (!SaveModified()) {
        return false;
    }
    if (!m_doc.OnNewDocument()) {
        ReportError("A new document could not be created.");
        return false;
    }
    return true;
}

bool CDocumentCommands::OnFileOpen() {
    if (!SaveModified()) {
        return false;
    }
    const std::string path = ChooseFileToOpen();
    return !path.empty() && OpenDocumentFile(path);
}

std::string CDocumentCommands::ChooseFileToOpen() {
    CFileDialog dialog;
    dialog.eKind = CFileDialog::Open;
    dialog.strFilter = kFilter;
    dialog.strExtension = kExtension;
    dialog.strFolder = m_strLastFolder;
    return m_prompter.ChooseFile(dialog);
}

bool CDocumentCommands::OpenDocumentFile(const std::string& path) {
    if (const std::error_code error = m_doc.OnOpenDocument(path)) {
        ReportError(CErrorText::OpenFailed(path, error));
        return false;
    }
    NoteFileUsed(path);
    return true;
}

void CDocumentCommands::OnDropFiles(const std::vector<std::string>& paths) {
    // Whatever their names, the open check refuses what is not a configuration.
    for (const std::string& path : paths) {
        if (!SaveModified()) {
            return;
        }
        OpenDocumentFile(path);
    }
}

bool CDocumentCommands::OnFileSave() {
    const std::string& path = m_doc.GetPathName();
    return path.empty() ? OnFileSaveAs() : SaveDocumentTo(path);
}

bool CDocumentCommands::OnFileSaveAs() {
    // A configuration without a file (an upload) gets a new name, so that no
    // backup is overwritten unless the user picks it here.
    CFileDialog dialog;
    dialog.eKind = CFileDialog::SaveAs;
    dialog.strFilter = kFilter;
    dialog.strExtension = kExtension;
    dialog.strFolder = m_strLastFolder;
    dialog.strProposed =
        m_doc.GetPathName().empty() ? ProposedUploadPath(std::time(nullptr)) : m_doc.GetPathName();
    const std::string path = WithDefaultExtension(m_prompter.ChooseFile(dialog));
    return !path.empty() && SaveDocumentTo(path);
}

bool CDocumentCommands::SaveModified() {
    if (!m_doc.IsModified()) {
        return true;
    }
    const std::string name = m_doc.GetFileName();
    const CMessageBox box{EBoxIcon::Question, kAppTitle,
                          "Save changes to " + (name.empty() ? std::string(kUntitled) : name) + "?",
                          EBoxButtons::SaveDiscardCancel, EAnswer::Save};
    switch (m_prompter.Show(box)) {
        case EAnswer::Save:
            return OnFileSave();
        case EAnswer::Discard:
            return true;
        default:
            return false;
    }
}

std::string CDocumentCommands::ProposedUploadPath(std::time_t now) const {
    const std::string base =
        CPathName::Join(m_strLastFolder, kUploadPrefix + CLocalTime::Format(now, "%Y%m%d-%H%M"));
    std::string path = base + "." + kExtension;
    for (int n = 2; CPathName::Exists(path); ++n) {
        path = base + "-" + std::to_string(n) + "." + kExtension;
    }
    return path;
}

bool CDocumentCommands::SaveDocumentTo(const std::string& path) {
    if (path == m_doc.GetPathName() && !ConfirmRewrite(path)) {
        return false;
    }
    if (const std::error_code error = m_doc.OnSaveDocument(path)) {
        ReportError(CErrorText::SaveFailed(path, error));
        return false;
    }
    NoteFileUsed(path);
    return true;
}

bool CDocumentCommands::ConfirmRewrite(const std::string& path) {
    const CReadNotes& notes = m_doc.m_notes;
    const CConfigCheck check(m_doc);
    if (notes.nDropped == 0 && check.IsValid()) {
        return true;
    }
    std::string held;
    if (notes.nDropped > 0) {
        held = Count(static_cast<std::size_t>(notes.nDropped), "line") +
               " that Tovrik leaves out (line " + std::to_string(notes.nFirstDropped) + ": \"" +
               notes.strFirstDropped + "\"" + (notes.nDropped > 1 ? ", …)" : ")");
    }
    if (!check.IsValid()) {
        held += (held.empty() ? "" : " and ") + Count(check.Problems().size(), "problem") + " (" +
                CConfigCheck::Describe(check.Problems().front()) +
                (check.Problems().size() > 1 ? ", …)" : ")");
    }
    const std::string text = CPathName::FileName(path) + " holds " + held +
                             ". Saving writes the configuration " +
                             (notes.nDropped == 0   ? "as Tovrik holds it"
                              : notes.nDropped == 1 ? "without it"
                                                    : "without them") +
                             ". Save anyway?";
    return m_prompter.Show(CMessageBox::AskYesNo(kAppTitle, text)) == EAnswer::Yes;
}

void CDocumentCommands::NoteFileUsed(const std::string& path) {
    m_recent.Add(path);
    m_strLastFolder = CPathName::Folder(CPathName::Absolute(path));
}

void CDocumentCommands::ReportError(const std::string& text) {
    m_prompter.Show(CMessageBox::Tell(EBoxIcon::Warning, kAppTitle, text));
}

#include "app/CAppCommands.h"

#include "app/CConfigStrip.h"
#include "app/CDocumentSummary.h"
#include "app/IAppFrontEnd.h"
#include "core/data/CConfigCheck.h"

CAppCommands::CAppCommands(CQARNCfgDoc& doc, IPrompter& prompter, CRecentFileList& recent,
                           std::string startFolder, IAppFrontEnd& frontEnd)
    : m_doc(doc),
      m_frontEnd(frontEnd),
      m_documents(doc, prompter, recent, std::move(startFolder)),
      m_compare(doc, prompter, m_documents) {}

void CAppCommands::OnCommand(EAppCommand eCommand) {
    switch (eCommand) {
        case EAppCommand::FileNew:
            m_documents.OnFileNew();
            break;
        case EAppCommand::FileOpen:
            m_documents.OnFileOpen();
            break;
        case EAppCommand::FileSave:
            m_documents.OnFileSave();
            break;
        case EAppCommand::FileSaveAs:
            m_documents.OnFileSaveAs();
            break;
        case EAppCommand::Download:
            m_frontEnd.RunTransferDialog(ETransferMode::Download, false);
            break;
        case EAppCommand::Upload:
            // An upload replaces the configuration: unsaved changes are asked
            // about first, as New and Open do.
            if (m_documents.SaveModified()) {
                m_frontEnd.RunTransferDialog(ETransferMode::Upload, false);
            }
            break;
        case EAppCommand::CompareWithFile:
            m_compare.OnCompareWithFile();
            break;
        case EAppCommand::CompareWithDevice:
            CompareWithDevice();
            break;
        case EAppCommand::About:
            m_frontEnd.ShowAbout();
            break;
        case EAppCommand::Exit:
            m_frontEnd.CloseMainWindow();
            break;
    }
    UpdateFrame();
}

void CAppCommands::CompareWithDevice() {
    if (!m_compare.CanCompareWithDevice()) {
        return;
    }
    // The document stays as it was, unsaved changes included: nothing to ask.
    if (auto report = m_frontEnd.RunTransferDialog(ETransferMode::Upload, true)) {
        m_compare.OnDeviceAnswer(std::move(*report));
    }
}

void CAppCommands::OnDropFiles(const std::vector<std::string>& paths) {
    m_documents.OnDropFiles(paths);
    UpdateFrame();
}

bool CAppCommands::CanClose() {
    const bool bMayClose = m_documents.SaveModified();
    UpdateFrame();
    return bMayClose;
}

void CAppCommands::UpdateFrame() {
    const CCompareReport* report = m_compare.Report();
    const CConfigCheck check(m_doc);
    m_frontEnd.ShowFrame(CDocumentSummary::Title(m_doc),
                         CDocumentSummary::Lines(m_doc, check, report),
                         CConfigStrip(m_doc, check, report));
}

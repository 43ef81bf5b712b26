#include "app/CCompareCommands.h"

#include "app/CDocumentCommands.h"
#include "app/CErrorText.h"
#include "app/IPrompter.h"
#include "core/data/CConfigCheck.h"
#include "core/data/CConfiguration.h"
#include "core/data/CQARNCfgDoc.h"
#include "platform/common/CPathName.h"

CCompareCommands::CCompareCommands(CQARNCfgDoc& doc, IPrompter& prompter,
                                   CDocumentCommands& documents)
    : m_doc(doc), m_prompter(prompter), m_documents(documents) {}

bool CCompareCommands::OnCompareWithFile() {
    if (!HasConfiguration(kFileCaption)) {
        return false;
    }
    const std::string path = m_documents.ChooseFileToOpen();
    if (path.empty()) {
        return false;
    }
    CConfiguration other;
    if (const std::error_code error = other.Load(path)) {
        m_prompter.Show(CMessageBox::Tell(EBoxIcon::Warning, kFileCaption,
                                          CErrorText::OpenFailed(path, error)));
        return false;
    }
    Show(kFileCaption, CCompareReport(m_doc, other, CPathName::FileName(path)));
    return true;
}

bool CCompareCommands::CanCompareWithDevice() {
    return HasConfiguration(kDeviceCaption);
}

void CCompareCommands::OnDeviceAnswer(CCompareReport report) {
    Show(kDeviceCaption, std::move(report));
}

const CCompareReport* CCompareCommands::Report() const {
    return m_report && m_report->Describes(m_doc) ? &*m_report : nullptr;
}

bool CCompareCommands::HasConfiguration(const char* caption) {
    if (!CConfigCheck(m_doc).IsEmpty()) {
        return true;
    }
    m_prompter.Show(CMessageBox::Tell(EBoxIcon::Information, caption,
                                      "There is no configuration in memory to compare. Open a "
                                      "file or upload the device's configuration first."));
    return false;
}

void CCompareCommands::Show(const char* caption, CCompareReport report) {
    m_report = std::move(report);
    m_prompter.ShowReport({caption, m_report->Lines()});
}

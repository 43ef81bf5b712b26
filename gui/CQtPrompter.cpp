#include "gui/CQtPrompter.h"

#include "gui/CReportDlg.h"

#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include <utility>

namespace {

QMessageBox::Icon IconOf(EBoxIcon icon) {
    switch (icon) {
        case EBoxIcon::Information:
            return QMessageBox::Information;
        case EBoxIcon::Warning:
            return QMessageBox::Warning;
        case EBoxIcon::Question:
            return QMessageBox::Question;
        case EBoxIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(EBoxButtons buttons) {
    switch (buttons) {
        case EBoxButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case EBoxButtons::SaveDiscardCancel:
            return QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
        case EBoxButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

// Each answer and the button that gives it.
constexpr std::pair<EAnswer, QMessageBox::StandardButton> kButtons[] = {
    {EAnswer::Yes, QMessageBox::Yes},       {EAnswer::No, QMessageBox::No},
    {EAnswer::Save, QMessageBox::Save},     {EAnswer::Discard, QMessageBox::Discard},
    {EAnswer::Cancel, QMessageBox::Cancel}, {EAnswer::Ok, QMessageBox::Ok},
};

QMessageBox::StandardButton ButtonOf(EAnswer answer) {
    for (const auto& [eAnswer, button] : kButtons) {
        if (eAnswer == answer) {
            return button;
        }
    }
    return QMessageBox::Ok;
}

EAnswer AnswerOf(int button) {
    for (const auto& [eAnswer, eButton] : kButtons) {
        if (eButton == button) {
            return eAnswer;
        }
    }
    return EAnswer::Ok;
}

// Paths travel as the file system's own bytes.
QString FromFileSystem(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace

EAnswer CQtPrompter::Show(const CMessageBox& box) {
    QMessageBox dialog(IconOf(box.eIcon), QString::fromStdString(box.strCaption),
                       QString::fromStdString(box.strText), ButtonsOf(box.eButtons), m_pParent);
    // Esc and the close box cancel where that is offered, and otherwise give
    // the default: never the risky way.
    dialog.setDefaultButton(ButtonOf(box.eDefault));
    dialog.setEscapeButton(
        ButtonOf(box.eButtons == EBoxButtons::SaveDiscardCancel ? EAnswer::Cancel : box.eDefault));
    return AnswerOf(dialog.exec());
}

std::string CQtPrompter::ChooseFile(const CFileDialog& request) {
    const bool open = request.eKind == CFileDialog::Open;
    QFileDialog dialog(m_pParent, open ? QStringLiteral("Open") : QStringLiteral("Save As"),
                       FromFileSystem(request.strFolder),
                       QString::fromStdString(request.strFilter));
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The dialog adds the extension itself, so its overwrite question names
    // the file that will really be written.
    dialog.setDefaultSuffix(QString::fromStdString(request.strExtension));
    if (!request.strProposed.empty()) {
        dialog.selectFile(FromFileSystem(request.strProposed));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

std::string CQtPrompter::AskText(const std::string& caption, const std::string& label,
                                 const std::string& initial) {
    bool bOk = false;
    const QString text = QInputDialog::getText(m_pParent, QString::fromStdString(caption),
                                               QString::fromStdString(label), QLineEdit::Normal,
                                               QString::fromStdString(initial), &bOk);
    return bOk ? text.toStdString() : std::string();
}

void CQtPrompter::ShowReport(const CReportBox& report) {
    CReportDlg dialog(report, m_pParent);
    dialog.exec();
}

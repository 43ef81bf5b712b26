#include "gui/CConfigView.h"

#include "data/CConfigCheck.h"
#include "data/CQARNCfgDoc.h"

#include <QFile>
#include <QFontDatabase>

namespace {

// Findings listed one by one; the rest are counted.
constexpr std::size_t kFindingsShown = 5;

QString Row(const QString& label, const QString& value) {
    return QStringLiteral("%1 %2\n").arg(label + QLatin1Char(':'), -14).arg(value);
}

QString Findings(const char* title, const std::vector<CConfigFinding>& findings) {
    QString text = QStringLiteral("\n%1: %2\n")
                       .arg(QString::fromUtf8(title),
                            QString::fromStdString(CConfigCheck::ReasonList(findings)));
    for (std::size_t i = 0; i < findings.size() && i < kFindingsShown; ++i) {
        text += QStringLiteral("  ") + QString::fromStdString(CConfigCheck::Describe(findings[i])) +
                QLatin1Char('\n');
    }
    if (findings.size() > kFindingsShown) {
        text += QStringLiteral("  and %1 more\n").arg(findings.size() - kFindingsShown);
    }
    return text;
}

}  // namespace

CConfigView::CConfigView(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("CConfigView"));
    setReadOnly(true);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void CConfigView::OnUpdate(const CQARNCfgDoc& doc) {
    setPlainText(SummaryText(doc));
}

QString CConfigView::SummaryText(const CQARNCfgDoc& doc) {
    const CConfigCheck check(doc);
    if (check.IsEmpty()) {
        return QStringLiteral(
            "No configuration in memory.\n\n"
            "Open a .s19 file with File > Open, or read the device's configuration with "
            "File > Upload.\n");
    }
    const std::string name = doc.GetFileName();
    QString text;
    text += Row(
        QStringLiteral("File"),
        QFile::decodeName(QByteArray::fromStdString(name.empty() ? CQARNCfgDoc::kUntitled : name)));
    text += Row(QStringLiteral("Changes"),
                doc.IsModified() ? QStringLiteral("not saved") : QStringLiteral("all saved"));
    for (const std::string& line : check.InfoLines()) {
        const std::size_t colon = line.find(": ");
        text += Row(QString::fromStdString(line.substr(0, colon)),
                    QString::fromStdString(line.substr(colon + 2)));
    }
    QString verdict;
    if (check.IsWhole()) {
        verdict = QStringLiteral("whole: valid and complete");
    } else if (check.IsValid()) {
        verdict = QStringLiteral("valid, with warnings");
    } else {
        verdict = QStringLiteral("NOT VALID: do not download");
    }
    text += Row(QStringLiteral("Check"), verdict);
    if (!check.IsValid()) {
        text += Findings("Problems", check.Problems());
    }
    if (!check.Warnings().empty()) {
        text += Findings("Warnings", check.Warnings());
    }
    return text;
}

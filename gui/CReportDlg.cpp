#include "gui/CReportDlg.h"

#include <QClipboard>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The box opens wide enough for this many columns and this many rows, and
// scrolls beyond.
constexpr int kColumns = 72;
constexpr int kRows = 16;

}  // namespace

CReportDlg::CReportDlg(const CReportBox& report, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_pText(new QPlainTextEdit(this)),
      m_pCopy(new QPushButton(QStringLiteral("Copy"), this)),
      m_pOk(new QPushButton(QStringLiteral("OK"), this)) {
    setWindowTitle(QString::fromStdString(report.strCaption));
    setModal(true);

    QStringList lines;
    for (const std::string& line : report.lines) {
        // File names in the report are the file system's own bytes.
        lines << QFile::decodeName(QByteArray::fromStdString(line));
    }
    m_strText = lines.join(QLatin1Char('\n'));

    m_pText->setReadOnly(true);
    m_pText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pText->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pText->setPlainText(m_strText);
    const QFontMetrics metrics(m_pText->font());
    const int rows = std::clamp(static_cast<int>(lines.size()), 4, kRows) + 1;
    m_pText->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('0')) * kColumns,
                            metrics.lineSpacing() * rows);

    m_pOk->setDefault(true);
    connect(m_pCopy, &QPushButton::clicked, this, &CReportDlg::OnCopy);
    connect(m_pOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_pCopy);
    buttons->addWidget(m_pOk);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pText);
    layout->addLayout(buttons);
    m_pOk->setFocus();
}

void CReportDlg::OnCopy() {
    QGuiApplication::clipboard()->setText(m_strText);
}

#include "gui/CConfigView.h"

#include <QFile>
#include <QFontDatabase>

CConfigView::CConfigView(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("CConfigView"));
    setReadOnly(true);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
}

void CConfigView::OnUpdate(const std::vector<std::string>& lines) {
    QString text;
    for (const std::string& line : lines) {
        // File names in the summary are the file system's own bytes.
        text += QFile::decodeName(QByteArray::fromStdString(line)) + QLatin1Char('\n');
    }
    setPlainText(text);
}

#pragma once

#include "app/IPrompter.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// A report the user reads and can copy: its caption, its lines in a read-only
// fixed-width box, Copy and OK.
class CReportDlg : public QDialog {
    Q_OBJECT
public:
    explicit CReportDlg(const CReportBox& report, QWidget* parent = nullptr);

    QPlainTextEdit* GetText() const { return m_pText; }
    QPushButton* GetCopyButton() const { return m_pCopy; }
    QPushButton* GetOkButton() const { return m_pOk; }

private:
    // Puts the lines on the clipboard, one a line.
    void OnCopy();

    QString m_strText;
    QPlainTextEdit* m_pText;
    QPushButton* m_pCopy;
    QPushButton* m_pOk;
};

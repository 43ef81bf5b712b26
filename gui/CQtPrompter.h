#pragma once

#include "app/IPrompter.h"

class QWidget;

// Message boxes, questions, file dialogs, a line of text and reports, drawn by
// Qt over the window that asks.
class CQtPrompter : public IPrompter {
public:
    explicit CQtPrompter(QWidget* parent = nullptr) : m_pParent(parent) {}
    void SetParent(QWidget* parent) { m_pParent = parent; }

    EAnswer Show(const CMessageBox& box) override;
    std::string ChooseFile(const CFileDialog& dialog) override;
    std::string AskText(const std::string& caption, const std::string& label,
                        const std::string& initial) override;
    void ShowReport(const CReportBox& report) override;

private:
    QWidget* m_pParent;
};

#pragma once

#include "app/IPrompter.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

// A user who answers from a script: each message box takes the next answer
// queued (a box with only OK needs none), each file dialog the next file. A
// question without a queued answer fails the test, so that no test passes on
// a question it did not expect. Everything asked is kept for the checks.
class CScriptedPrompter : public IPrompter {
public:
    void QueueAnswer(EAnswer answer) { m_answers.push_back(answer); }
    // "" stands for Cancel.
    void QueueFile(const std::string& path) { m_files.push_back(path); }
    void QueueText(const std::string& text) { m_texts.push_back(text); }

    EAnswer Show(const CMessageBox& box) override;
    std::string ChooseFile(const CFileDialog& dialog) override;
    std::string AskText(const std::string& caption, const std::string& label,
                        const std::string& initial) override;
    void ShowReport(const CReportBox& report) override { m_reports.push_back(report); }

    // The texts of the boxes shown, oldest first.
    std::vector<std::string> Texts() const;
    const std::vector<CMessageBox>& Boxes() const { return m_boxes; }
    const std::vector<CFileDialog>& Dialogs() const { return m_dialogs; }
    const std::vector<CReportBox>& Reports() const { return m_reports; }
    // True when every queued answer, file and text was used.
    bool ScriptUsed() const { return m_answers.empty() && m_files.empty() && m_texts.empty(); }

    // Called with each box as it is shown, before it is answered.
    std::function<void(const CMessageBox& box)> m_onShow;

private:
    std::deque<EAnswer> m_answers;
    std::deque<std::string> m_files;
    std::deque<std::string> m_texts;
    std::vector<CMessageBox> m_boxes;
    std::vector<CFileDialog> m_dialogs;
    std::vector<CReportBox> m_reports;
};

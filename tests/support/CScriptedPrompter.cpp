#include "tests/support/CScriptedPrompter.h"

#include <gtest/gtest.h>

EAnswer CScriptedPrompter::Show(const CMessageBox& box) {
    m_boxes.push_back(box);
    if (m_onShow) {
        m_onShow(box);
    }
    if (box.eButtons == EBoxButtons::Ok) {
        return EAnswer::Ok;
    }
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << box.strText;
        return box.eDefault;
    }
    const EAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

std::string CScriptedPrompter::ChooseFile(const CFileDialog& dialog) {
    m_dialogs.push_back(dialog);
    if (m_files.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return {};
    }
    std::string path = m_files.front();
    m_files.pop_front();
    return path;
}

std::string CScriptedPrompter::AskText(const std::string& caption, const std::string& /*label*/,
                                       const std::string& /*initial*/) {
    if (m_texts.empty()) {
        ADD_FAILURE() << "unexpected request for text: " << caption;
        return {};
    }
    std::string text = m_texts.front();
    m_texts.pop_front();
    return text;
}

std::vector<std::string> CScriptedPrompter::Texts() const {
    std::vector<std::string> texts;
    texts.reserve(m_boxes.size());
    for (const CMessageBox& box : m_boxes) {
        texts.push_back(box.strText);
    }
    return texts;
}

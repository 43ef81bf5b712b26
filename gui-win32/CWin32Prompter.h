#pragma once

#include "app/IPrompter.h"

#include <windows.h>

// The application's message boxes, questions, file dialogs, typed text and
// reports, as Windows shows them: MessageBoxW, the common Open and Save As
// dialogs, and small dialogs of the program's own. Each belongs to the window
// the user works in: the main window, or the dialog open over it.
class CWin32Prompter : public IPrompter {
public:
    // "Save", "Discard" and "Cancel" of the question whether to save changes.
    static constexpr const wchar_t* kSaveText = L"&Save";
    static constexpr const wchar_t* kDiscardText = L"&Discard";

    void SetMainWindow(HWND hWnd) { m_hWndMain = hWnd; }

    // The box's default button is its default answer. Esc gives Cancel where
    // the box offers it, and the default answer where it does not.
    EAnswer Show(const CMessageBox& box) override;
    std::string ChooseFile(const CFileDialog& dialog) override;
    std::string AskText(const std::string& caption, const std::string& label,
                        const std::string& initial) override;
    void ShowReport(const CReportBox& report) override;

    // The window a box or dialog shown now belongs to: the topmost enabled
    // window of this thread with a caption, else the main window.
    HWND Owner() const;

private:
    HWND m_hWndMain = nullptr;
};

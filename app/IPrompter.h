#pragma once

#include <string>
#include <utility>
#include <vector>

// The icon of a message box.
enum class EBoxIcon { None, Information, Warning, Question };
// The buttons of a message box.
enum class EBoxButtons { Ok, YesNo, SaveDiscardCancel };
// The button the user pressed.
enum class EAnswer { Ok, Yes, No, Save, Discard, Cancel };

// A message box or a question, worded by the application. Esc and the box's
// close button give Cancel where it is offered and the default otherwise, so
// that a question never goes the risky way unless the user picks it.
struct CMessageBox {
    EBoxIcon eIcon = EBoxIcon::None;
    std::string strCaption;
    std::string strText;
    EBoxButtons eButtons = EBoxButtons::Ok;
    EAnswer eDefault = EAnswer::Ok;

    // A box that tells, with OK alone.
    static CMessageBox Tell(EBoxIcon eIcon, std::string caption, std::string text) {
        return {eIcon, std::move(caption), std::move(text), EBoxButtons::Ok, EAnswer::Ok};
    }
    // A warning that asks Yes or No, No the default: the risky way is never
    // taken by Enter alone.
    static CMessageBox AskYesNo(std::string caption, std::string text) {
        return {EBoxIcon::Warning, std::move(caption), std::move(text), EBoxButtons::YesNo,
                EAnswer::No};
    }
};

// A file dialog: Open chooses an existing file, Save As a name to write.
struct CFileDialog {
    enum EKind { Open, SaveAs };
    EKind eKind = Open;
    std::string strFilter;     // "Tovrik Files (*.s19)"
    std::string strExtension;  // "s19", added to a name typed without one
    std::string strFolder;     // where the dialog starts
    std::string strProposed;   // Save As: the full path it proposes
};

// A report the user reads, and can copy as text: a compare's result.
struct CReportBox {
    std::string strCaption;
    std::vector<std::string>
        lines;  // one a row; Copy puts them on the clipboard, joined by line ends
};

// Everything a front end shows or asks for the application, each call waiting
// for the user. Paths are UTF-8 on every system.
class IPrompter {
public:
    virtual ~IPrompter() = default;

    virtual EAnswer Show(const CMessageBox& box) = 0;
    // The chosen file, "" when the user cancelled.
    virtual std::string ChooseFile(const CFileDialog& dialog) = 0;
    // A line of text the user types, "" when cancelled.
    virtual std::string AskText(const std::string& caption, const std::string& label,
                                const std::string& initial) = 0;
    // Shows the report until the user closes it.
    virtual void ShowReport(const CReportBox& report) = 0;
};

#pragma once

#include <string>
#include <vector>

// What the main window hands on to the application: the commands that decide
// about the configuration and its file (New, Open, Save, Save As, Download,
// Upload, by their ID_FILE_ ids), the files dropped on the window, and the
// question whether the window may close. The window carries out only its own
// commands: View, About and Exit.
class IAppCommands {
public:
    virtual ~IAppCommands() = default;
    virtual void OnCommand(unsigned nID) = 0;
    // UTF-8 paths, in the order the shell lists them.
    virtual void OnDropFiles(const std::vector<std::string>& paths) = 0;
    // Asked before the window closes (Exit, the close box); false keeps it open.
    virtual bool CanClose() = 0;
};

#pragma once

#include <string>
#include <vector>

// What the main window hands on to the application: its commands by their
// ids (those of CCommandIds: File, About and Exit), the files dropped on the
// window, and the question whether the window may close. The window carries
// out only its own commands: those of the View menu.
class IAppCommands {
public:
    virtual ~IAppCommands() = default;
    virtual void OnCommand(unsigned nID) = 0;
    // UTF-8 paths, in the order the shell lists them.
    virtual void OnDropFiles(const std::vector<std::string>& paths) = 0;
    // Asked before the window closes (Exit, the close box); false keeps it open.
    virtual bool CanClose() = 0;
};

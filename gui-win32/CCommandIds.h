#pragma once

#include "app/CAppCommands.h"
#include "resource.h"

#include <optional>

// The ids the menu, the toolbar and the shortcuts give the application's
// commands: the one table that the main window enables them by and the
// application routes them by.
class CCommandIds {
public:
    struct CEntry {
        unsigned nID;
        EAppCommand eCommand;
    };

    static constexpr CEntry kEntries[] = {
        {ID_FILE_NEW, EAppCommand::FileNew},
        {ID_FILE_OPEN, EAppCommand::FileOpen},
        {ID_FILE_SAVE, EAppCommand::FileSave},
        {ID_FILE_SAVE_AS, EAppCommand::FileSaveAs},
        {ID_FILE_DOWNLOAD, EAppCommand::Download},
        {ID_FILE_UPLOAD, EAppCommand::Upload},
        {ID_FILE_COMPARE_FILE, EAppCommand::CompareWithFile},
        {ID_FILE_COMPARE_DEVICE, EAppCommand::CompareWithDevice},
        {ID_APP_ABOUT, EAppCommand::About},
        {ID_APP_EXIT, EAppCommand::Exit},
    };

    // The command of an id; none for the window's own (View) and unknown ids.
    static std::optional<EAppCommand> Find(unsigned nID) {
        for (const CEntry& entry : kEntries) {
            if (entry.nID == nID) {
                return entry.eCommand;
            }
        }
        return std::nullopt;
    }
};

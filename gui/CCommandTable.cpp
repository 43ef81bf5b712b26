#include "gui/CCommandTable.h"

#include "app/CAppCommands.h"

#include <array>
#include <utility>

namespace {

constexpr std::array kStrings{
    CStringEntry{ID_FILE_DOWNLOAD, "Download configuration data\nDownload"},
    CStringEntry{ID_FILE_UPLOAD, "Upload configuration data\nUpload"},
    CStringEntry{ID_FILE_COMPARE_FILE,
                 "Compare the configuration in memory with a file\nCompare with File"},
    CStringEntry{ID_FILE_COMPARE_DEVICE,
                 "Read the device's configuration and compare it with the one in memory\n"
                 "Compare with Device"},
    CStringEntry{ID_FILE_NEW, "Create a new document\nNew"},
    CStringEntry{ID_FILE_OPEN, "Open an existing document\nOpen"},
    CStringEntry{ID_FILE_SAVE, "Save the active document\nSave"},
    CStringEntry{ID_FILE_SAVE_AS, "Save the active document with a new name\nSave As"},
    CStringEntry{ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
    CStringEntry{ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
    CStringEntry{ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar"},
    CStringEntry{ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},
    CStringEntry{AFX_IDS_APP_TITLE, "Tovrik"},
    CStringEntry{AFX_IDS_IDLEMESSAGE, "Ready"},
    CStringEntry{ID_INDICATOR_CAPS, "CAP"},
    CStringEntry{ID_INDICATOR_NUM, "NUM"},
    CStringEntry{ID_INDICATOR_SCRL, "SCRL"},
};

constexpr std::array kMenu{
    CMenuEntry{"&File", "&New\tCtrl+N", ID_FILE_NEW},
    CMenuEntry{"&File", "&Open...\tCtrl+O", ID_FILE_OPEN},
    CMenuEntry{"&File", "&Save\tCtrl+S", ID_FILE_SAVE},
    CMenuEntry{"&File", "Save &As...", ID_FILE_SAVE_AS},
    CMenuEntry{"&File", "", ID_SEPARATOR},
    CMenuEntry{"&File", "Download", ID_FILE_DOWNLOAD},
    CMenuEntry{"&File", "Upload", ID_FILE_UPLOAD},
    CMenuEntry{"&File", "Compare with &File...", ID_FILE_COMPARE_FILE},
    CMenuEntry{"&File", "Compare with &Device...", ID_FILE_COMPARE_DEVICE},
    CMenuEntry{"&File", "", ID_SEPARATOR},
    CMenuEntry{"&File", "E&xit", ID_APP_EXIT},
    CMenuEntry{"&View", "&Toolbar", ID_VIEW_TOOLBAR},
    CMenuEntry{"&View", "&Status Bar", ID_VIEW_STATUS_BAR},
    CMenuEntry{"&Help", "&About Tovrik...", ID_APP_ABOUT},
};

constexpr std::array kToolBar{
    CToolBarEntry{ID_FILE_NEW, ":/toolbar/new.svg"},
    CToolBarEntry{ID_FILE_OPEN, ":/toolbar/open.svg"},
    CToolBarEntry{ID_FILE_SAVE, ":/toolbar/save.svg"},
    CToolBarEntry{ID_SEPARATOR, nullptr},
    CToolBarEntry{ID_APP_ABOUT, ":/toolbar/about.svg"},
    CToolBarEntry{ID_FILE_DOWNLOAD, ":/toolbar/download.svg"},
    CToolBarEntry{ID_FILE_UPLOAD, ":/toolbar/upload.svg"},
};

constexpr std::array kAppCommands{
    std::pair{ID_FILE_NEW, EAppCommand::FileNew},
    std::pair{ID_FILE_OPEN, EAppCommand::FileOpen},
    std::pair{ID_FILE_SAVE, EAppCommand::FileSave},
    std::pair{ID_FILE_SAVE_AS, EAppCommand::FileSaveAs},
    std::pair{ID_FILE_DOWNLOAD, EAppCommand::Download},
    std::pair{ID_FILE_UPLOAD, EAppCommand::Upload},
    std::pair{ID_FILE_COMPARE_FILE, EAppCommand::CompareWithFile},
    std::pair{ID_FILE_COMPARE_DEVICE, EAppCommand::CompareWithDevice},
    std::pair{ID_APP_ABOUT, EAppCommand::About},
    std::pair{ID_APP_EXIT, EAppCommand::Exit},
};

}  // namespace

std::span<const CStringEntry> CCommandTable::Strings() {
    return kStrings;
}
std::span<const CMenuEntry> CCommandTable::Menu() {
    return kMenu;
}
std::span<const CToolBarEntry> CCommandTable::ToolBar() {
    return kToolBar;
}

std::optional<EAppCommand> CCommandTable::AppCommand(int nID) {
    for (const auto& [nEntry, eCommand] : kAppCommands) {
        if (nEntry == nID) {
            return eCommand;
        }
    }
    return std::nullopt;
}

QString CCommandTable::LoadString(int nID) {
    for (const CStringEntry& entry : kStrings) {
        if (entry.nID == nID) {
            return QString::fromUtf8(entry.pszText);
        }
    }
    return {};
}

QString CCommandTable::Prompt(int nID) {
    return LoadString(nID).section('\n', 0, 0);
}

QString CCommandTable::ToolTip(int nID) {
    return LoadString(nID).section('\n', 1, 1);
}

QString CCommandTable::MenuText(const CMenuEntry& entry) {
    return QString::fromUtf8(entry.pszText).section('\t', 0, 0);
}

QString CCommandTable::MenuShortcut(const CMenuEntry& entry) {
    return QString::fromUtf8(entry.pszText).section('\t', 1, 1);
}

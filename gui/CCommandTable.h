#pragma once

#include <QString>

#include <optional>
#include <span>

enum class EAppCommand;

// Command, string and resource ids of the main window, and the string table
// that gives each command its status bar prompt and toolbar tooltip.

inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_BLANK = 130;

inline constexpr int ID_FILE_DOWNLOAD = 32772;
inline constexpr int ID_FILE_UPLOAD = 32773;
inline constexpr int ID_FILE_COMPARE_FILE = 32774;
inline constexpr int ID_FILE_COMPARE_DEVICE = 32775;
inline constexpr int ID_FILE_NEW = 57600;
inline constexpr int ID_FILE_OPEN = 57601;
inline constexpr int ID_FILE_SAVE = 57603;
inline constexpr int ID_FILE_SAVE_AS = 57604;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_VIEW_TOOLBAR = 59392;
inline constexpr int ID_VIEW_STATUS_BAR = 59393;

inline constexpr int AFX_IDS_APP_TITLE = 57344;
inline constexpr int AFX_IDS_IDLEMESSAGE = 57345;
inline constexpr int ID_INDICATOR_CAPS = 59137;
inline constexpr int ID_INDICATOR_NUM = 59138;
inline constexpr int ID_INDICATOR_SCRL = 59139;

// Separators in the menu and toolbar tables.
inline constexpr int ID_SEPARATOR = 0;

struct CStringEntry {
    int nID;
    const char* pszText;
};

struct CMenuEntry {
    const char* pszPopup;  // the popup the item belongs to
    const char* pszText;   // item text; after a tab, the shortcut
    int nID;               // ID_SEPARATOR for a separator
};

struct CToolBarEntry {
    int nID;               // ID_SEPARATOR for a separator
    const char* pszImage;  // Qt resource path of the button image
};

class CCommandTable {
public:
    static std::span<const CStringEntry> Strings();
    static std::span<const CMenuEntry> Menu();
    static std::span<const CToolBarEntry> ToolBar();
    // The application's command that an id gives; none for the main window's
    // own View commands and unknown ids.
    static std::optional<EAppCommand> AppCommand(int nID);

    // The whole string of an id; empty for an unknown id.
    static QString LoadString(int nID);
    // The part before "\n": the status bar prompt.
    static QString Prompt(int nID);
    // The part after "\n": the toolbar tooltip (empty when there is none).
    static QString ToolTip(int nID);
    // Item text without the shortcut, and the shortcut alone.
    static QString MenuText(const CMenuEntry& entry);
    static QString MenuShortcut(const CMenuEntry& entry);
};

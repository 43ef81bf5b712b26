#pragma once

#include <windows.h>

// Pictures for the documentation: what the screen shows of a window, saved as
// TOVRIK_SCREENSHOTS/<name>.bmp when that folder is set, and nothing otherwise
// (scripts/win32-screenshots.sh sets it).
class CScreenshot {
public:
    static void Save(HWND hWnd, const char* name);
};

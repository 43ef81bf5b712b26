#include "platform/common/CTerminal.h"

#include <windows.h>

bool CTerminal::IsStandardErrorTerminal() {
    // Only a console answers GetConsoleMode; a pipe or a file does not.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void CTerminal::ShowUtf8Output() {
    // The console otherwise reads the bytes in its own code page (437, 850,
    // 1252, ...) and garbles every non-ASCII file name.
    SetConsoleOutputCP(CP_UTF8);
}

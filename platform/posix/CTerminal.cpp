#include "platform/common/CTerminal.h"

#include <unistd.h>

bool CTerminal::IsStandardErrorTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void CTerminal::ShowUtf8Output() {
    // A terminal here shows the bytes it gets in the user's locale, UTF-8 on
    // any current system: there is nothing to switch.
}

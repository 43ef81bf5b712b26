#include "platform/CTerminal.h"

#include <unistd.h>

bool CTerminal::IsStandardErrorTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

#pragma once

// The terminal the command-line tool runs in, if any.
class CTerminal {
public:
    // Progress is drawn on standard error only when a person watches it.
    static bool IsStandardErrorTerminal();
    // Makes the console show the UTF-8 text the program writes as such.
    static void ShowUtf8Output();
};

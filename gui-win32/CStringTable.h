#pragma once

#include <string>

// The string table of the program's resources: whole strings, and the parts
// of a command's prompt string (the status bar prompt before "\n", the
// toolbar tooltip after it).
class CStringTable {
public:
    // The whole string; empty for an id the table does not hold.
    static std::wstring Load(unsigned nID);
    // Field n of a string whose fields are separated by "\n"; empty past the
    // last one.
    static std::wstring Field(unsigned nID, int nField);
    static std::wstring Prompt(unsigned nID) { return Field(nID, 0); }
    static std::wstring ToolTip(unsigned nID) { return Field(nID, 1); }
};

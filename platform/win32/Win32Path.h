#pragma once

#include <string>

// File names at the Windows calls.
namespace Win32Path {

// The full wide path of a UTF-8 name, "" when it has none (an empty name, or
// one that is not valid UTF-8).
std::wstring FullPath(const std::string& utf8);
// A device rather than a file: "\\.\COM1", and names such as NUL, CON or
// COM1, which the full path turns into one. None is ever opened to read or
// save a configuration.
bool IsDevice(const std::wstring& full);

}  // namespace Win32Path

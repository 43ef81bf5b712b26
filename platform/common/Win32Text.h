#pragma once

#include <string>

// Windows only (the layers above the platform use it at their own Windows
// calls). Texts travel through the program in UTF-8; Windows takes and gives UTF-16 at
// its wide-character calls. A sequence that is not valid UTF-8 cannot name a
// file, so it becomes an empty wide text, which no call accepts as a name.
namespace Win32Text {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace Win32Text

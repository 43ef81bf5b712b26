#pragma once

#include <string>

// Cutting pieces out of a line. Every cut stays inside the line: a negative
// start counts as 0, a negative length as 0, and a piece that would run past
// the end stops there. None of them fails.
namespace TextCut {

// The first n characters (the whole text when it is shorter).
std::string Left(const std::string& text, int n);
// The last n characters (the whole text when it is shorter).
std::string Right(const std::string& text, int n);
// n characters from position start.
std::string Mid(const std::string& text, int start, int n);
// The line's own line end: CR LF, a lone LF, or nothing for a line cut short.
std::string LineEnd(const std::string& line);

}  // namespace TextCut

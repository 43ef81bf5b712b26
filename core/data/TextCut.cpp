#include "core/data/TextCut.h"

#include <algorithm>

namespace TextCut {

namespace {
std::size_t Clamp(int value, std::size_t limit) {
    return value <= 0 ? 0 : std::min(static_cast<std::size_t>(value), limit);
}
}  // namespace

std::string Left(const std::string& text, int n) {
    return text.substr(0, Clamp(n, text.size()));
}

std::string Right(const std::string& text, int n) {
    const std::size_t count = Clamp(n, text.size());
    return text.substr(text.size() - count, count);
}

std::string Mid(const std::string& text, int start, int n) {
    const std::size_t from = Clamp(start, text.size());
    return text.substr(from, Clamp(n, text.size() - from));
}

std::string LineEnd(const std::string& line) {
    if (line.ends_with("\r\n")) {
        return "\r\n";
    }
    return line.ends_with('\n') ? "\n" : "";
}

}  // namespace TextCut

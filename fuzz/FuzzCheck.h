#pragma once

#include <string>

// Invariant checks of the fuzz targets. A broken invariant prints what was
// expected and what was found, then aborts, so that libFuzzer keeps the input
// as a crash and the replay of a corpus fails.
namespace FuzzCheck {

[[noreturn]] void Fail(const char* file, int line, const char* condition,
                       const std::string& detail);
// Control bytes and bytes above 126 as \xNN, so that a report shows every byte.
std::string Escape(const std::string& text);

}  // namespace FuzzCheck

// `detail` is evaluated only when the check fails.
#define FUZZ_CHECK(condition, detail)                                  \
    do {                                                               \
        if (!(condition)) {                                            \
            FuzzCheck::Fail(__FILE__, __LINE__, #condition, (detail)); \
        }                                                              \
    } while (0)

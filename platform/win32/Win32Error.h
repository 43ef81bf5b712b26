#pragma once

#include <system_error>

// Windows failures as the platform layer hands them out. Each keeps its Win32
// error code and reads as Windows words it ("Access is denied"), and each
// compares equal to the std::errc condition that the POSIX side reports for
// the same trouble, so that the core tells them apart on every system alike.
namespace Win32Error {

// A condition that no Win32 call reported, as the Win32 error that stands for
// it (std::errc::device_or_resource_busy: "The requested resource is in use").
[[nodiscard]] std::error_code Of(std::errc condition);
// A Win32 error code (GetLastError()); ERROR_SUCCESS gives an empty code.
[[nodiscard]] std::error_code FromCode(unsigned long code);
// The error of the Win32 call that just failed.
[[nodiscard]] std::error_code Last();

}  // namespace Win32Error

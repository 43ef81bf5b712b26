#pragma once

#include <system_error>

// Windows failures as the platform layer hands them out: each compares equal
// to the same std::errc condition that the POSIX side reports for the same
// trouble, and reads as the same text, so that the core and the user see one
// set of reasons on every system.
namespace Win32Error {

// A condition, with the text a Linux system gives it ("No such file or
// directory").
std::error_code Of(std::errc condition);
// A Win32 error code (GetLastError()); ERROR_SUCCESS gives an empty code.
std::error_code FromCode(unsigned long code);
// The error of the Win32 call that just failed.
std::error_code Last();

}  // namespace Win32Error

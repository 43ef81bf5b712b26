#pragma once

#include <cerrno>
#include <system_error>

// errno values as the error codes the platform layer hands out.
namespace PosixError {

inline std::error_code Of(int value) {
    return {value, std::generic_category()};
}

// The error of the system call that just failed.
inline std::error_code Last() {
    return Of(errno);
}

}  // namespace PosixError

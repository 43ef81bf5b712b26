#pragma once

#include <string>
#include <system_error>

// Failures that no operating-system error number names. They travel as
// std::error_code like every other failure, so that a caller reports all of
// them the same way: ec.message().
enum class ETovrikError {
    NotRegularFile = 1,  // a file operation met a device, a FIFO or a socket
    SystemConsole,       // a serial port that is the system console
    NotConfiguration,    // a file without a single well-formed S0, S3 or S7 line
    NotEnoughMemory,     // an allocation failed while loading, parsing or saving
    OwnerNotKept,        // a save would have changed the owner or group of the file
    SaveInterrupted,     // a signal asked the program to end during a save
    StandardStream,      // a save onto the program's own standard input, output or error
    ProfileNotWritten,   // the profile refused a value
};

const std::error_category& TovrikCategory();
[[nodiscard]] std::error_code make_error_code(ETovrikError e);

template <>
struct std::is_error_code_enum<ETovrikError> : std::true_type {};

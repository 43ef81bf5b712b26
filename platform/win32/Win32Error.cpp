#include "Win32Error.h"

#include <windows.h>

#include <string>

namespace {

struct Text {
    std::errc condition;
    const char* text;
};

// The texts of the GNU C library, which the Windows C runtime words
// differently or not at all ("Resource device", "Unknown error").
constexpr Text kTexts[] = {
    {std::errc::operation_not_permitted, "Operation not permitted"},
    {std::errc::no_such_file_or_directory, "No such file or directory"},
    {std::errc::io_error, "Input/output error"},
    {std::errc::bad_file_descriptor, "Bad file descriptor"},
    {std::errc::not_enough_memory, "Cannot allocate memory"},
    {std::errc::permission_denied, "Permission denied"},
    {std::errc::device_or_resource_busy, "Device or resource busy"},
    {std::errc::file_exists, "File exists"},
    {std::errc::not_a_directory, "Not a directory"},
    {std::errc::is_a_directory, "Is a directory"},
    {std::errc::invalid_argument, "Invalid argument"},
    {std::errc::inappropriate_io_control_operation, "Inappropriate ioctl for device"},
    {std::errc::file_too_large, "File too large"},
    {std::errc::no_space_on_device, "No space left on device"},
    {std::errc::read_only_file_system, "Read-only file system"},
    {std::errc::filename_too_long, "File name too long"},
    {std::errc::timed_out, "Connection timed out"},
    {std::errc::no_such_device, "No such device"},
    {std::errc::broken_pipe, "Broken pipe"},
};

class CWin32ErrnoCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "tovrik-win32"; }
    std::string message(int value) const override {
        for (const Text& entry : kTexts) {
            if (static_cast<int>(entry.condition) == value) {
                return entry.text;
            }
        }
        return std::generic_category().message(value);
    }
    std::error_condition default_error_condition(int value) const noexcept override {
        return {value, std::generic_category()};
    }
};

const std::error_category& Category() {
    static const CWin32ErrnoCategory category;
    return category;
}

std::errc ConditionOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_NO_UNICODE_TRANSLATION:
            return std::errc::no_such_file_or_directory;
        case ERROR_ACCESS_DENIED:
        case ERROR_CANNOT_MAKE:
        case ERROR_NETWORK_ACCESS_DENIED:
            return std::errc::permission_denied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_BUSY:
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
            return std::errc::device_or_resource_busy;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return std::errc::file_exists;
        case ERROR_DIRECTORY:
            return std::errc::not_a_directory;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return std::errc::no_space_on_device;
        case ERROR_FILE_TOO_LARGE:
            return std::errc::file_too_large;
        case ERROR_WRITE_PROTECT:
            return std::errc::read_only_file_system;
        case ERROR_FILENAME_EXCED_RANGE:
            return std::errc::filename_too_long;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return std::errc::not_enough_memory;
        case ERROR_INVALID_HANDLE:
            return std::errc::bad_file_descriptor;
        case ERROR_INVALID_PARAMETER:
            return std::errc::invalid_argument;
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
            return std::errc::inappropriate_io_control_operation;
        case ERROR_SEM_TIMEOUT:
        case WAIT_TIMEOUT:
        case ERROR_TIMEOUT:
            return std::errc::timed_out;
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA:
            return std::errc::broken_pipe;
        case ERROR_DEV_NOT_EXIST:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED:
            return std::errc::no_such_device;
        default:
            return std::errc::io_error;
    }
}

}  // namespace

namespace Win32Error {

std::error_code Of(std::errc condition) {
    return {static_cast<int>(condition), Category()};
}

std::error_code FromCode(unsigned long code) {
    return code == ERROR_SUCCESS ? std::error_code() : Of(ConditionOf(code));
}

std::error_code Last() {
    return FromCode(GetLastError());
}

}  // namespace Win32Error

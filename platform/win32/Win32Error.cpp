#include "Win32Error.h"

#include <windows.h>

#include <cwctype>
#include <string>

#include "platform/common/Win32Text.h"

namespace {

// "An operation is not supported on a directory", which older headers lack.
constexpr DWORD kErrorDirectoryNotSupported = 336;

struct CText {
    DWORD code;
    const char* text;
};

// Windows' own words for the errors Tovrik meets, without the final period
// (the messages that show them add one). They are the same on every Windows
// language and under Wine, whose system texts differ; any other code is
// worded by the system (FormatMessageW).
constexpr CText kTexts[] = {
    {ERROR_INVALID_FUNCTION, "Incorrect function"},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified"},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified"},
    {ERROR_ACCESS_DENIED, "Access is denied"},
    {ERROR_INVALID_HANDLE, "The handle is invalid"},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command"},
    {ERROR_OUTOFMEMORY, "Not enough memory resources are available to complete this operation"},
    {ERROR_INVALID_DRIVE, "The system cannot find the drive specified"},
    {ERROR_WRITE_PROTECT, "The media is write protected"},
    {ERROR_GEN_FAILURE, "A device attached to the system is not functioning"},
    {ERROR_SHARING_VIOLATION,
     "The process cannot access the file because it is being used by another process"},
    {ERROR_LOCK_VIOLATION,
     "The process cannot access the file because another process has locked a portion of the file"},
    {ERROR_HANDLE_DISK_FULL, "The disk is full"},
    {ERROR_NOT_SUPPORTED, "The request is not supported"},
    {ERROR_DEV_NOT_EXIST, "The specified network resource or device is no longer available"},
    {ERROR_FILE_EXISTS, "The file exists"},
    {ERROR_CANNOT_MAKE, "The directory or file cannot be created"},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect"},
    {ERROR_BROKEN_PIPE, "The pipe has been ended"},
    {ERROR_DISK_FULL, "There is not enough space on the disk"},
    {ERROR_SEM_TIMEOUT, "The semaphore timeout period has expired"},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect"},
    {ERROR_BUSY, "The requested resource is in use"},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists"},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long"},
    {ERROR_DIRECTORY, "The directory name is invalid"},
    {kErrorDirectoryNotSupported, "It is a folder"},
    {ERROR_OPERATION_ABORTED,
     "The I/O operation has been aborted because of either a thread exit or an application "
     "request"},
    {ERROR_NO_UNICODE_TRANSLATION,
     "No mapping for the Unicode character exists in the target multi-byte code page"},
    {ERROR_IO_DEVICE, "The request could not be performed because of an I/O device error"},
    {ERROR_DEVICE_NOT_CONNECTED, "The device is not connected"},
    {ERROR_UNABLE_TO_REMOVE_REPLACED, "Unable to remove the file to be replaced"},
    {ERROR_TIMEOUT, "This operation returned because the timeout period expired"},
};

// The Win32 error that stands for a condition no Win32 call reported.
struct CStandIn {
    std::errc condition;
    DWORD code;
};

constexpr CStandIn kStandIns[] = {
    {std::errc::no_such_file_or_directory, ERROR_FILE_NOT_FOUND},
    {std::errc::permission_denied, ERROR_ACCESS_DENIED},
    {std::errc::device_or_resource_busy, ERROR_BUSY},
    {std::errc::bad_file_descriptor, ERROR_INVALID_HANDLE},
    {std::errc::inappropriate_io_control_operation, ERROR_NOT_SUPPORTED},
    {std::errc::invalid_argument, ERROR_INVALID_PARAMETER},
    {std::errc::is_a_directory, kErrorDirectoryNotSupported},
    {std::errc::file_exists, ERROR_FILE_EXISTS},
    {std::errc::timed_out, ERROR_TIMEOUT},
    {std::errc::no_space_on_device, ERROR_DISK_FULL},
    {std::errc::io_error, ERROR_IO_DEVICE},
};

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
        case kErrorDirectoryNotSupported:
            return std::errc::is_a_directory;
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

// The system's text in English where it has one, else in the user's
// language, without its line end and final period.
std::string SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                        FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
    DWORD length = 0;
    for (const DWORD language : {DWORD{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}, DWORD{0}}) {
        length = FormatMessageW(flags, nullptr, code, language, reinterpret_cast<LPWSTR>(&buffer),
                                0, nullptr);
        if (length > 0) {
            break;
        }
    }
    if (length == 0 || buffer == nullptr) {
        return "Windows error " + std::to_string(code);
    }
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'.' || std::iswspace(text.back()) != 0)) {
        text.pop_back();
    }
    return Win32Text::Narrow(text);
}

class CWin32Category : public std::error_category {
public:
    const char* name() const noexcept override { return "win32"; }
    std::string message(int value) const override {
        const auto code = static_cast<DWORD>(value);
        for (const CText& entry : kTexts) {
            if (entry.code == code) {
                return entry.text;
            }
        }
        return SystemText(code);
    }
    std::error_condition default_error_condition(int value) const noexcept override {
        return {static_cast<int>(ConditionOf(static_cast<DWORD>(value))), std::generic_category()};
    }
};

const std::error_category& Category() {
    static const CWin32Category category;
    return category;
}

}  // namespace

namespace Win32Error {

std::error_code Of(std::errc condition) {
    for (const CStandIn& entry : kStandIns) {
        if (entry.condition == condition) {
            return FromCode(entry.code);
        }
    }
    return std::make_error_code(condition);
}

std::error_code FromCode(unsigned long code) {
    return code == ERROR_SUCCESS ? std::error_code()
                                 : std::error_code(static_cast<int>(code), Category());
}

std::error_code Last() {
    return FromCode(GetLastError());
}

}  // namespace Win32Error

#include "platform/common/CFileReader.h"

#include <windows.h>

#include "Win32Error.h"
#include "Win32Path.h"
#include "platform/common/ETovrikError.h"
#include "platform/common/ReadWhole.h"

std::error_code CFileReader::ReadRegularFile(const std::string& path, std::string& text,
                                             std::int64_t& size) {
    const std::wstring full = Win32Path::FullPath(path);
    if (full.empty()) {
        return Win32Error::Of(std::errc::no_such_file_or_directory);
    }
    // A device is refused by its name: opening one could take it over.
    if (Win32Path::IsDevice(full)) {
        return ETovrikError::NotRegularFile;
    }
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Win32Error::Of(std::errc::is_a_directory);
    }
    const HANDLE h = CreateFileW(full.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return Win32Error::Last();
    }
    std::error_code error;
    LARGE_INTEGER length{};
    if (GetFileType(h) != FILE_TYPE_DISK) {
        error = ETovrikError::NotRegularFile;
    } else if (!GetFileSizeEx(h, &length)) {
        error = Win32Error::Last();
    } else {
        size = length.QuadPart;
        error = ReadWhole(
            static_cast<std::size_t>(length.QuadPart), text,
            [h](char* buffer, std::size_t room, std::size_t& got) {
                const DWORD chunk = room > 0x40000000u ? 0x40000000u : static_cast<DWORD>(room);
                DWORD n = 0;
                const bool ok = ReadFile(h, buffer, chunk, &n, nullptr);
                got = ok ? n : 0;
                return ok ? std::error_code() : Win32Error::Last();
            },
            ETovrikError::NotEnoughMemory);  // far larger than any configuration
    }
    CloseHandle(h);
    return error;
}

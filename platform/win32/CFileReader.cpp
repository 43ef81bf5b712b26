#include "platform/CFileReader.h"

#include <windows.h>

#include <new>

#include "Win32Error.h"
#include "Win32Path.h"
#include "platform/ETovrikError.h"

namespace {

// Reads everything up to the end of the file.
std::error_code ReadWhole(HANDLE h, std::size_t expectedSize, std::string& text) {
    std::size_t used = 0;
    try {
        // One byte more than the size, so that the read meeting the end of the
        // file needs no larger buffer; a file that grew meanwhile is read whole.
        text.resize(expectedSize + 1);
        for (;;) {
            if (used == text.size()) {
                text.resize(text.size() * 2);
            }
            const std::size_t room = text.size() - used;
            const DWORD chunk = room > 0x40000000u ? 0x40000000u : static_cast<DWORD>(room);
            DWORD got = 0;
            if (!ReadFile(h, text.data() + used, chunk, &got, nullptr)) {
                const std::error_code error = Win32Error::Last();
                text.resize(used);
                return error;
            }
            if (got == 0) {
                text.resize(used);
                return {};
            }
            used += got;
        }
    } catch (const std::bad_alloc&) {
        text.clear();
        text.shrink_to_fit();
        return Win32Error::Of(std::errc::not_enough_memory);  // far larger than any configuration
    }
}

}  // namespace

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
        error = ReadWhole(h, static_cast<std::size_t>(length.QuadPart), text);
    }
    CloseHandle(h);
    return error;
}

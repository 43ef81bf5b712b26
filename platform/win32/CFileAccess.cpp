#include "platform/CFileAccess.h"

#include <windows.h>

#include <random>

#include "Win32Error.h"
#include "Win32Path.h"

std::error_code CFileAccess::CheckWritableFolder(const std::string& folder) {
    const std::wstring full = Win32Path::FullPath(folder);
    if (full.empty()) {
        return Win32Error::Of(std::errc::no_such_file_or_directory);
    }
    // Windows has no access() that answers for a folder's access list and its
    // read-only state together; creating a file there and removing it again
    // asks the file system itself.
    std::random_device random;
    const std::wstring probe =
        full + (full.back() == L'\\' ? L"" : L"\\") + L".tovrik-probe-" + std::to_wstring(random());
    const HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        // Someone else's file of that name: the folder takes new files.
        return code == ERROR_FILE_EXISTS ? std::error_code() : Win32Error::FromCode(code);
    }
    CloseHandle(h);
    return {};
}

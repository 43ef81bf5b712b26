#include "platform/common/CAtomicFile.h"

#include <windows.h>

#include <random>

#include "Win32Error.h"
#include "Win32Path.h"
#include "platform/common/CInterruptGuard.h"
#include "platform/common/ETovrikError.h"

namespace {

// Whether the user may write the existing file, asked by opening it for
// writing without changing it: a read-only attribute or the file's access
// list refuses it, as another program holding it open without sharing does.
std::error_code CheckWritableFile(const std::wstring& full) {
    const HANDLE h = CreateFileW(full.c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return Win32Error::Last();
    }
    const DWORD type = GetFileType(h);
    CloseHandle(h);
    return type == FILE_TYPE_DISK ? std::error_code()
                                  : make_error_code(ETovrikError::NotRegularFile);
}

// Whether the user may create files in the folder: Windows has no access()
// that answers for a folder's access list and its read-only state together,
// so a file is created there and removed again.
std::error_code CheckWritableFolder(const std::wstring& folder) {
    std::random_device random;
    const std::wstring probe = folder + L".tovrik-probe-" + std::to_wstring(random());
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

// Why `full` may not be saved over: a device, a folder, a file the user may
// not write. bExists tells whether there is a file to replace.
std::error_code CheckFile(const std::wstring& full, bool& bExists) {
    bExists = false;
    if (full.empty()) {
        return Win32Error::Of(std::errc::no_such_file_or_directory);
    }
    if (Win32Path::IsDevice(full)) {
        return ETovrikError::NotRegularFile;
    }
    const DWORD attributes = GetFileAttributesW(full.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND ? std::error_code() : Win32Error::FromCode(code);
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Win32Error::Of(std::errc::is_a_directory);
    }
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
        return ETovrikError::NotRegularFile;
    }
    bExists = true;
    return CheckWritableFile(full);
}

// The folder part of a full path, with its trailing separator.
std::wstring FolderOf(const std::wstring& full) {
    return full.substr(0, full.find_last_of(L"\\/") + 1);
}

}  // namespace

struct CAtomicFile::Impl {
    HANDLE hTemp = INVALID_HANDLE_VALUE;
    std::wstring tempPath;
    std::wstring targetPath;
    bool bTargetExisted = false;

    void Discard() {
        if (hTemp != INVALID_HANDLE_VALUE) {
            CloseHandle(hTemp);
            hTemp = INVALID_HANDLE_VALUE;
        }
        if (!tempPath.empty()) {
            DeleteFileW(tempPath.c_str());
            tempPath.clear();
        }
    }
};

CAtomicFile::CAtomicFile() : m_pImpl(std::make_unique<Impl>()) {}

CAtomicFile::~CAtomicFile() {
    m_pImpl->Discard();
}

std::error_code CAtomicFile::CheckTarget(const std::string& target) {
    const std::wstring full = Win32Path::FullPath(target);
    bool bExists = false;
    if (const std::error_code refused = CheckFile(full, bExists)) {
        return refused;
    }
    const std::wstring folder = FolderOf(full);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return Win32Error::Of(std::errc::no_such_file_or_directory);
    }
    return CheckWritableFolder(folder);
}

std::error_code CAtomicFile::Open(const std::string& target) {
    Impl& d = *m_pImpl;
    d.Discard();
    d.targetPath = Win32Path::FullPath(target);
    if (const std::error_code refused = CheckFile(d.targetPath, d.bTargetExisted)) {
        return refused;
    }
    if (const std::error_code error = CInterruptGuard::SaveInterruption()) {
        return error;
    }
    const std::wstring folder = FolderOf(d.targetPath);
    const std::wstring file = d.targetPath.substr(folder.size());
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring candidate =
            folder + L"." + file + L"." + std::to_wstring(random() % 1000000u) + L".tmp";
        d.hTemp = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (d.hTemp != INVALID_HANDLE_VALUE) {
            d.tempPath = candidate;
            return {};
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
            return Win32Error::Last();
        }
    }
    return Win32Error::Of(std::errc::file_exists);
}

std::error_code CAtomicFile::Write(const char* data, std::size_t size) {
    const HANDLE h = m_pImpl->hTemp;
    if (h == INVALID_HANDLE_VALUE) {
        return Win32Error::Of(std::errc::bad_file_descriptor);
    }
    if (const std::error_code error = CInterruptGuard::SaveInterruption()) {
        return error;
    }
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(h, data, chunk, &written, nullptr)) {
            return Win32Error::Last();
        }
        if (written == 0) {
            return Win32Error::Of(std::errc::io_error);
        }
        data += written;
        size -= written;
    }
    return {};
}

std::error_code CAtomicFile::Commit() {
    Impl& d = *m_pImpl;
    if (d.hTemp == INVALID_HANDLE_VALUE) {
        return Win32Error::Of(std::errc::bad_file_descriptor);
    }
    // The data must be on disk before the new file takes the old one's place,
    // so that a crash leaves either the old file or the whole new one.
    std::error_code error = CInterruptGuard::SaveInterruption();
    if (!error && !FlushFileBuffers(d.hTemp)) {
        error = Win32Error::Last();
    }
    CloseHandle(d.hTemp);
    d.hTemp = INVALID_HANDLE_VALUE;
    if (!error) {
        // ReplaceFileW keeps the old file's attributes and access list.
        bool replaced =
            d.bTargetExisted && ReplaceFileW(d.targetPath.c_str(), d.tempPath.c_str(), nullptr,
                                             REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
        if (!replaced && d.bTargetExisted && GetLastError() != ERROR_FILE_NOT_FOUND) {
            error = Win32Error::Last();
        } else if (!replaced && !MoveFileExW(d.tempPath.c_str(), d.targetPath.c_str(),
                                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            error = Win32Error::Last();
        }
    }
    if (error) {
        DeleteFileW(d.tempPath.c_str());
    }
    d.tempPath.clear();
    return error;
}

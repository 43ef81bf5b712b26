#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <system_error>

// A file written beside its target and renamed over it once complete, so that a
// save that fails leaves the old file as it was. A symbolic link keeps pointing
// at the saved file, and the target's permissions are kept.
class CAtomicFile {
public:
    CAtomicFile();
    ~CAtomicFile();  // removes the temporary file of a save that was not committed
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Refuses a folder, and a target the user may not write.
    std::error_code Open(const std::string& target);
    std::error_code Write(const char* data, std::size_t size);
    // Syncs the data to disk and renames it over the target.
    std::error_code Commit();

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <system_error>

// A file written beside its target and renamed over it once complete, so that a
// save that fails leaves the old file as it was. A symbolic link keeps pointing
// at the saved file, also a link whose file does not exist yet; the target's
// permissions, owner and group are kept. Only a regular file is ever replaced.
// The rename gives the target a new inode: other hard links to the old file
// keep the old content.
//
// A save made while a CInterruptGuard lives stops at the first signal caught:
// the temporary file is removed and the target left as it was.
class CAtomicFile {
public:
    CAtomicFile();
    ~CAtomicFile();  // removes the temporary file of a save that was not committed
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Why a save to `target` would be refused, empty if it would not: a
    // folder, something that is not a regular file (a device, a FIFO, a
    // socket), the program's own standard input, output or error (also a
    // regular file, and also reached as /dev/stdout or /proc/self/fd/1), a
    // file or folder the user may not write, a folder that does not exist, a
    // file whose owner and group the new one could not be given. Asked before
    // a command spends minutes on a transfer.
    [[nodiscard]] static std::error_code CheckTarget(const std::string& target);

    // Refuses what CheckTarget refuses, then creates the temporary file.
    [[nodiscard]] std::error_code Open(const std::string& target);
    [[nodiscard]] std::error_code Write(const char* data, std::size_t size);
    // Gives the new file the old one's owner, group and permissions, syncs it
    // to disk and renames it over the target.
    [[nodiscard]] std::error_code Commit();

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};

#pragma once

#include <cstdint>
#include <string>
#include <system_error>

// Reads a whole regular file through one descriptor, so that the file whose
// size and kind were checked is the file that is read. A directory, a device
// or a FIFO is refused before a byte is read.
class CFileReader {
public:
    // text gets every byte; size the size the file system reported at open.
    [[nodiscard]] static std::error_code ReadRegularFile(const std::string& path, std::string& text,
                                                         std::int64_t& size);
};

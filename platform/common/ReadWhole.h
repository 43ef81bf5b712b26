#pragma once

#include <cstddef>
#include <new>
#include <string>
#include <system_error>

// Reads a file to its end into `text` through `read(buffer, room, got)`, which
// gives an error, or none with got 0 at the end of the file. `expectedSize` is
// the size the file system reported; a file that grew meanwhile is read whole.
// A file too large for memory gives `outOfMemory` and an empty text.
template <class Read>
[[nodiscard]] std::error_code ReadWhole(std::size_t expectedSize, std::string& text, Read read,
                                        std::error_code outOfMemory) {
    std::size_t used = 0;
    try {
        // One byte more than the size, so that the read meeting the end of the
        // file needs no larger buffer.
        text.resize(expectedSize + 1);
        for (;;) {
            if (used == text.size()) {
                text.resize(text.size() * 2);
            }
            std::size_t got = 0;
            const std::error_code error = read(text.data() + used, text.size() - used, got);
            if (error || got == 0) {
                text.resize(used);
                return error;
            }
            used += got;
        }
    } catch (const std::bad_alloc&) {
        text.clear();
        text.shrink_to_fit();
        return outOfMemory;
    }
}

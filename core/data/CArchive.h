#pragma once

#include "platform/CAtomicFile.h"

#include <cstdint>
#include <string>
#include <system_error>

// A file bound to one load or one save.
//
// Loading reads the whole file when the archive is opened, so that every I/O
// error is known before the document is touched. Storing writes to a temporary
// file beside the target; Close() renames it over the target, so a failed save
// leaves the old file as it was. A failure of any write is kept and reported
// by Close().
class CArchive {
public:
    enum Mode { load, store };

    explicit CArchive(Mode mode) : m_mode(mode) {}
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    // Loading: reads the whole file. Storing: makes the temporary file.
    [[nodiscard]] std::error_code Open(const std::string& path);
    bool IsStoring() const { return m_mode == store; }
    std::string GetFileName() const;   // last component of the path
    std::int64_t GetFileSize() const;  // loading: size of the file as opened
    // Loading: bytes of text, short of the file size when a 0x1A byte ended it.
    std::int64_t GetTextSize() const { return static_cast<std::int64_t>(m_text.size()); }

    // Loading: the next line of text in text mode (CR LF reads as LF; the byte
    // 0x1A ends the text), without its LF. False at the end of the text.
    bool ReadString(std::string& line);
    // Loading: the next ReadString reads the first line again.
    void Rewind() { m_nPos = 0; }
    // Loading: when a 0x1A byte ended the text before anything but line ends
    // and blanks, the line it stands on (from 1) and the bytes after it, which
    // are not read; 0 and 0 otherwise.
    int GetTextEndLine() const { return m_nTextEndLine; }
    std::int64_t GetUnreadBytes() const { return m_nUnreadBytes; }

    // Storing: writes the characters as they are, nothing added.
    void WriteString(const std::string& text);
    // Storing: flushes, syncs and renames over the target; the first failure
    // of a write or of these.
    [[nodiscard]] std::error_code Close();

private:
    bool Fail(std::error_code error);  // keeps the first failure; true when there is one
    bool Flush();

    std::string m_path;
    Mode m_mode;
    bool m_bOpen = false;
    std::error_code m_error;
    // Loading: the whole text, cut at 0x1A, and the read position.
    std::string m_text;
    std::size_t m_nPos = 0;
    std::int64_t m_nFileSize = 0;
    int m_nTextEndLine = 0;
    std::int64_t m_nUnreadBytes = 0;
    // Storing: the temporary file and the bytes not yet written to it.
    CAtomicFile m_file;
    std::string m_pending;
};

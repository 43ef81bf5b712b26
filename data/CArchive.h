#pragma once

#include <cstdint>
#include <string>

// A file bound to one load or one save.
//
// Loading reads the whole file when the archive is opened, so that every I/O
// error is known before the document is touched. Storing writes to a temporary
// file beside the target; Close() renames it over the target, so a failed save
// leaves the old file as it was.
class CArchive {
public:
    enum Mode { load, store };

    CArchive(const std::string& path, Mode mode);
    ~CArchive();  // an unclosed storing archive removes its temporary file
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsOpen() const;  // false when opening failed: see GetErrorText()
    bool IsLoading() const { return m_mode == load; }
    bool IsStoring() const { return m_mode == store; }
    const std::string& GetFilePath() const { return m_path; }
    std::string GetFileName() const;   // last component of the path
    std::int64_t GetFileSize() const;  // loading: size of the file as opened

    // Loading: the next line of text in text mode (CR LF reads as LF; the byte
    // 0x1A ends the text), without its LF. False at the end of the text.
    bool ReadString(std::string& line);

    // Storing: writes the characters as they are, nothing added.
    void WriteString(const std::string& text);
    // Storing: flushes, syncs and renames over the target. False on failure.
    bool Close();

    int GetError() const { return m_nError; }  // errno of the first failure, 0 if none
    std::string GetErrorText() const;

private:
    struct Impl;
    bool OpenForLoad(Impl& impl);
    bool OpenForStore(Impl& impl);
    bool Flush();
    bool Fail(int error);  // keeps the first error; always false

    std::string m_path;
    Mode m_mode;
    int m_nError = 0;
    std::string m_strErrorText;  // for a failure that errno does not name
    // Implementation details are private to CArchive.cpp.
    Impl* m_pImpl = nullptr;
};

#pragma once

#include <atomic>
#include <string>
#include <system_error>

class CArchive;

// The document side of the file commands: path, modified flag, and open and
// save through an archive.
class CDocument {
public:
    virtual ~CDocument() = default;

    // File > New: forgets the path name and clears the modified flag.
    virtual bool OnNewDocument();
    // File > Open: on failure, a file refused by CheckContents or running out
    // of memory included, the document is unchanged.
    [[nodiscard]] std::error_code OnOpenDocument(const std::string& path);
    // File > Save / Save As: atomic; on failure, running out of memory
    // included, the old file is intact.
    [[nodiscard]] std::error_code OnSaveDocument(const std::string& path);
    // A load that throws must leave the document as it was.
    virtual void Serialize(CArchive& ar) = 0;
    // After a save: the file now holds exactly what the document does.
    virtual void OnSaved() {}
    // Whether the file read into `ar` may be loaded at all; the archive is
    // read from its start again afterwards.
    [[nodiscard]] virtual std::error_code CheckContents(CArchive& /*ar*/) { return {}; }

    const std::string& GetPathName() const { return m_strPathName; }
    void SetPathName(const std::string& path) { m_strPathName = path; }
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

private:
    std::string m_strPathName;
    std::atomic<bool> m_bModified{false};
};

#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <system_error>

class CArchive;

// The document side of the file commands: path, modified flag, open and save
// through an archive, and the main window's caption.
class CDocument {
public:
    virtual ~CDocument() = default;

    // File > New: forgets the path name and clears the modified flag.
    virtual bool OnNewDocument();
    // File > Open: on failure, running out of memory included, the document
    // is unchanged.
    std::error_code OnOpenDocument(const std::string& path);
    // File > Save / Save As: atomic; on failure, running out of memory
    // included, the old file is intact.
    std::error_code OnSaveDocument(const std::string& path);
    // What the user is told when opening or saving `path` failed.
    static std::string OpenErrorMessage(const std::string& path, std::error_code error);
    static std::string SaveErrorMessage(const std::string& path, std::error_code error);
    // A load that throws must leave the document as it was.
    virtual void Serialize(CArchive& ar) = 0;

    const std::string& GetPathName() const { return m_strPathName; }
    void SetPathName(const std::string& path) { m_strPathName = path; }
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

    // The main window's caption. Set by a load; shown by the frame through the
    // handler, and kept here for a frame that is created after the load.
    const std::string& GetCaption() const { return m_strCaption; }
    void SetCaptionHandler(std::function<void(const std::string&)> handler);

protected:
    void SetMainWindowCaption(std::string caption);

private:
    std::string m_strPathName;
    std::string m_strCaption;
    std::atomic<bool> m_bModified{false};
    std::function<void(const std::string&)> m_captionHandler;
};

#include "data/CDocument.h"

#include "data/CArchive.h"

#include <utility>

bool CDocument::OnNewDocument() {
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const std::string& path, std::string& error) {
    // The whole file is read before the document is touched, so a file that
    // cannot be read leaves the document as it was.
    CArchive ar(path, CArchive::load);
    if (!ar.IsOpen()) {
        error = "Cannot open " + path + ": " + ar.GetErrorText() + ".";
        return false;
    }
    Serialize(ar);
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const std::string& path, std::string& error) {
    CArchive ar(path, CArchive::store);
    if (ar.IsOpen()) {
        Serialize(ar);
    }
    if (!ar.IsOpen() || !ar.Close()) {
        error = "Cannot save " + path + ": " + ar.GetErrorText() + ".";
        return false;
    }
    SetPathName(path);
    SetModifiedFlag(false);
    return true;
}

void CDocument::SetCaptionHandler(std::function<void(const std::string&)> handler) {
    m_captionHandler = std::move(handler);
}

void CDocument::SetMainWindowCaption(const std::string& caption) {
    m_strCaption = caption;
    if (m_captionHandler) {
        m_captionHandler(caption);
    }
}

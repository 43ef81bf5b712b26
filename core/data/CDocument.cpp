#include "data/CDocument.h"

#include "data/CArchive.h"

#include <utility>

bool CDocument::OnNewDocument() {
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

std::error_code CDocument::OnOpenDocument(const std::string& path) {
    // The whole file is read before the document is touched, so a file that
    // cannot be read leaves the document as it was.
    CArchive ar(path, CArchive::load);
    if (!ar.IsOpen()) {
        return ar.GetError();
    }
    Serialize(ar);
    SetPathName(path);
    SetModifiedFlag(false);
    return {};
}

std::error_code CDocument::OnSaveDocument(const std::string& path) {
    CArchive ar(path, CArchive::store);
    if (ar.IsOpen()) {
        Serialize(ar);
    }
    if (!ar.IsOpen() || !ar.Close()) {
        return ar.GetError();
    }
    SetPathName(path);
    SetModifiedFlag(false);
    return {};
}

std::string CDocument::OpenErrorMessage(const std::string& path, std::error_code error) {
    return "Cannot open " + path + ": " + error.message() + ".";
}

std::string CDocument::SaveErrorMessage(const std::string& path, std::error_code error) {
    return "Cannot save " + path + ": " + error.message() + ".";
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

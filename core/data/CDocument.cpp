#include "data/CDocument.h"

#include "data/CArchive.h"
#include "platform/ETovrikError.h"

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
    if (const std::error_code refused = CheckContents(ar)) {
        return refused;
    }
    ar.Rewind();
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
    if (error == ETovrikError::NotConfiguration) {
        return path + " is not an S-record configuration.";
    }
    return "Cannot open " + path + ": " + error.message() + ".";
}

std::string CDocument::SaveErrorMessage(const std::string& path, std::error_code error) {
    return "Cannot save " + path + ": " + error.message() + ".";
}

#include "data/CDocument.h"

#include "data/CArchive.h"
#include "platform/ETovrikError.h"

#include <new>

bool CDocument::OnNewDocument() {
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

// Running out of memory anywhere in a load or a save is a failure like any
// other: the document stays as it was, and a save's temporary file goes with
// its archive.
std::error_code CDocument::OnOpenDocument(const std::string& path) {
    try {
        // The whole file is read before the document is touched, so a file
        // that cannot be read leaves the document as it was.
        CArchive ar(CArchive::load);
        if (const std::error_code error = ar.Open(path)) {
            return error;
        }
        if (const std::error_code refused = CheckContents(ar)) {
            return refused;
        }
        ar.Rewind();
        std::string pathName = path;
        Serialize(ar);
        m_strPathName.swap(pathName);
    } catch (const std::bad_alloc&) {
        return ETovrikError::NotEnoughMemory;
    }
    SetModifiedFlag(false);
    return {};
}

std::error_code CDocument::OnSaveDocument(const std::string& path) {
    try {
        CArchive ar(CArchive::store);
        if (const std::error_code error = ar.Open(path)) {
            return error;
        }
        Serialize(ar);
        std::string pathName = path;
        if (const std::error_code error = ar.Close()) {
            return error;
        }
        m_strPathName.swap(pathName);
    } catch (const std::bad_alloc&) {
        return ETovrikError::NotEnoughMemory;
    }
    SetModifiedFlag(false);
    OnSaved();
    return {};
}

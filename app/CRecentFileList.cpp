#include "app/CRecentFileList.h"

#include "platform/common/CPathName.h"
#include "settings/CProfile.h"

#include <algorithm>

namespace {

std::string Key(std::size_t index) {
    return "File" + std::to_string(index + 1);
}

}  // namespace

void CRecentFileList::Load(const CProfile& profile) {
    m_files.clear();
    for (std::size_t i = 0; i < kSize; ++i) {
        const std::string path = profile.GetProfileString(kSection, Key(i));
        if (!path.empty() && std::find(m_files.begin(), m_files.end(), path) == m_files.end()) {
            m_files.push_back(path);
        }
    }
    m_bChanged = false;
}

std::error_code CRecentFileList::Save(CProfile& profile) {
    if (!m_bChanged) {
        return {};
    }
    // Every key is written, so that a list grown shorter leaves no old entry.
    std::vector<std::string> entries = m_files;
    entries.resize(kSize);
    for (std::size_t i = 0; i < kSize; ++i) {
        if (const std::error_code error =
                profile.WriteProfileString(kSection, Key(i), entries[i])) {
            return error;
        }
    }
    m_bChanged = false;
    return {};
}

std::string CRecentFileList::SaveOnExit(CProfile& profile) {
    const std::error_code error = Save(profile);
    if (!error || !profile.GetWarning().empty()) {
        return {};
    }
    return "The recent-file list was not remembered: " + error.message() + ".";
}

void CRecentFileList::Add(const std::string& path) {
    const std::string absolute = CPathName::Absolute(path);
    std::erase(m_files, absolute);
    m_files.insert(m_files.begin(), absolute);
    if (m_files.size() > kSize) {
        m_files.resize(kSize);
    }
    m_bChanged = true;
}

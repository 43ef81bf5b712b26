#pragma once

#include <string>
#include <system_error>
#include <vector>

class CProfile;

// The four files last opened or saved, newest first, kept in the profile
// section "Recent File List" as "File1" to "File4".
class CRecentFileList {
public:
    static constexpr const char* kSection = "Recent File List";
    static constexpr std::size_t kSize = 4;

    // Reads the list from the profile.
    void Load(const CProfile& profile);
    // Writes the list back when it changed since it was read or written; the
    // list is kept in memory when the profile refuses it.
    [[nodiscard]] std::error_code Save(CProfile& profile);
    // Save as the program closes, when the list is otherwise lost: what to
    // tell the user, or "" for nothing (also when the profile is ignored, which
    // the start has said already).
    std::string SaveOnExit(CProfile& profile);

    // A file opened or saved goes to the top, made absolute, once.
    void Add(const std::string& path);
    const std::vector<std::string>& Files() const { return m_files; }

private:
    std::vector<std::string> m_files;
    bool m_bChanged = false;
};

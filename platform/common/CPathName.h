#pragma once

#include <string>

// File names as the program shows and combines them. Paths hold UTF-8 on every
// system; both '/' and '\' separate their components, so a name typed or
// stored on one system reads the same on the other.
class CPathName {
public:
    // The last component: "backup.s19" of "/home/tech/backup.s19".
    static std::string FileName(const std::string& path);
    // Everything before the last component, without a trailing separator; ""
    // for a bare name.
    static std::string Folder(const std::string& path);
    // The folder and the name with one separator between them.
    static std::string Join(const std::string& folder, const std::string& name);
    // The path made absolute against the current folder; the path itself when
    // that cannot be done.
    static std::string Absolute(const std::string& path);
    // Whether anything (a file, a folder, a dangling link) stands at the path.
    static bool Exists(const std::string& path);
};

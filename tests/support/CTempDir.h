#pragma once

#include <string>

// A fresh directory under the system's temporary directory, removed with its
// contents when the object goes.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& Path() const { return m_strPath; }
    // Path() + "/" + name.
    std::string File(const std::string& name) const;
    // Writes `content` to the file `name` inside the directory; returns its path.
    std::string Write(const std::string& name, const std::string& content) const;
    // The whole content of a file, "" when it cannot be read.
    static std::string Read(const std::string& path);

private:
    std::string m_strPath;
};

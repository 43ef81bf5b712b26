#pragma once

#include <string>
#include <vector>

// A fresh directory under the system's temporary directory (or under `base`),
// removed with its contents when the object goes. Path() is empty when it
// could not be made.
class CTempDir {
public:
    explicit CTempDir(const std::string& base = {});
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& Path() const { return m_strPath; }
    // Path() + "/" + name.
    std::string File(const std::string& name) const;
    // Writes `content` to the file `name` inside the directory; returns its path.
    std::string Write(const std::string& name, const std::string& content) const;
    // The names in the directory, sorted: what a save left beside its target.
    std::vector<std::string> Names() const;
    // The whole content of a file, "" when it cannot be read.
    static std::string Read(const std::string& path);

private:
    std::string m_strPath;
};

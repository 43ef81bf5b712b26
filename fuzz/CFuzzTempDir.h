#pragma once

#include <string>
#include <vector>

// A private directory for the files of one fuzzing process, in memory
// (/dev/shm) where the system has it, so that millions of loads and saves
// never touch a disk. Removed with the files named through File().
class CFuzzTempDir {
public:
    CFuzzTempDir();
    ~CFuzzTempDir();
    CFuzzTempDir(const CFuzzTempDir&) = delete;
    CFuzzTempDir& operator=(const CFuzzTempDir&) = delete;

    std::string File(const std::string& name);

    static void Write(const std::string& path, const std::string& bytes);
    static std::string Read(const std::string& path);

private:
    std::string m_path;
    std::vector<std::string> m_names;
};

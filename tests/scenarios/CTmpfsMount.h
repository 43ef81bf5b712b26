#pragma once

#include <string>

// A small tmpfs mounted on a directory for one test, to make a disk full or
// read-only in a way that root also meets. Unmounted when the object goes,
// whatever path the test took. Mounting needs privileges the test may lack:
// Mount() then fails and Error() says why.
class CTmpfsMount {
public:
    CTmpfsMount() = default;
    ~CTmpfsMount();
    CTmpfsMount(const CTmpfsMount&) = delete;
    CTmpfsMount& operator=(const CTmpfsMount&) = delete;

    bool Mount(const std::string& directory, int nSizeKiB);
    bool RemountReadOnly();
    // Writes a file that takes all the room left.
    bool Fill(const std::string& name);
    const std::string& Error() const { return m_strError; }

private:
    std::string m_strDirectory;
    std::string m_strError;
};

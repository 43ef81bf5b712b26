#pragma once

#include <string>
#include <system_error>

// A symbolic link that names the simulator's terminal with a stable path. It
// replaces an older link of the same name and is removed again by its owner,
// but never a link that has since been pointed elsewhere.
class CDeviceLink {
public:
    CDeviceLink() = default;
    ~CDeviceLink();
    CDeviceLink(const CDeviceLink&) = delete;
    CDeviceLink& operator=(const CDeviceLink&) = delete;

    // Fails with file_exists when `link` exists and is not a symbolic link,
    // or with the system's error when it cannot be made.
    [[nodiscard]] std::error_code Create(const std::string& link, const std::string& target);
    void Remove();

private:
    std::string m_strLink;
    std::string m_strTarget;
};

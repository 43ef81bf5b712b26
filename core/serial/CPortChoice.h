#pragma once

#include <string>

class CPortDiscovery;
class CPortMap;

// The port a transfer goes to: one of the numbered ports (COM1, COM2) with the
// device it stands for, or a device named by its path. The dialog, tovrik-cli
// and the profile all read a typed name by the one rule of Parse.
class CPortChoice {
public:
    // COM1 on the system's own device.
    CPortChoice();
    // COM<number> on the device the map gives it.
    static CPortChoice Com(int number, const CPortMap& map);
    static CPortChoice Device(std::string path);
    // "1", "2", "COM1", "com2": a numbered port; a path: that device; the
    // by-id or kernel name of a port found on the machine: its path (the
    // stable by-id link for a by-id name); any other bare name: that name in
    // the device folder (/dev/ttyUSB9, \\.\COM5). Blanks around the text are
    // dropped. False for empty text.
    static bool Parse(const std::string& text, const CPortMap& map, const CPortDiscovery& discovery,
                      CPortChoice& choice);

    bool IsCom() const { return m_nCom != 0; }
    // 1 or 2 for COM1 and COM2, 0 for a device.
    int ComNumber() const { return m_nCom; }
    const std::string& DevicePath() const { return m_strPath; }
    // "COM1 (/dev/ttyS0)" for a numbered port, the path for a device.
    std::string Describe() const;
    // How a short list names it: "COM1", or the last part of the path
    // ("ttyUSB0").
    std::string ShortName() const;

    bool operator==(const CPortChoice& other) const = default;

private:
    CPortChoice(int com, std::string path) : m_nCom(com), m_strPath(std::move(path)) {}

    int m_nCom = 1;
    std::string m_strPath;
};

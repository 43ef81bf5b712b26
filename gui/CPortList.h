#pragma once

#include "platform/CSerialPortInfo.h"

#include <QComboBox>
#include <QString>

#include <string>
#include <vector>

// The transfer dialog's port list. "COM1" and "COM2" come first, at the
// indexes "CPSEL" stores, each with the device it maps to; then the ports
// found on the machine, by their by-id names with their descriptions; then a
// port chosen earlier that is not among them (marked missing when it is
// gone); last "Other…". Every entry carries the marks that stand in the way
// of a transfer. The entries are built anew each time the list opens, so an
// adapter plugged in meanwhile appears. Closed, the list shows a short name
// ("COM1", "ttyUSB0") and the whole entry as its tool tip.
class CPortList : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kComPorts = 2;

    explicit CPortList(QWidget* parent = nullptr);

    // Rebuilds the entries and selects COM<nPort>, or the device at strDevice
    // when that is not empty. Emits no change.
    void Select(int nPort, const std::string& strDevice);
    // Rebuilds the entries, keeping the selected one. Emits no change.
    void Refresh();

    // The short name the closed list shows: "COM1", "ttyUSB0", "Other…".
    QString ShownText() const;

    bool IsOther(int index) const;
    // 1 or 2 for COM1 and COM2, 0 for a device.
    int PortAt(int index) const;
    // The path a device entry stands for ("" for COM1 and COM2): the by-id
    // link where there is one, so that it survives re-plugging.
    std::string DeviceAt(int index) const;
    // What was found of the entry's port when the list was built.
    const CSerialPortInfo& InfoAt(int index) const;

    // Reads the ports again before the list opens.
    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct CEntry {
        int nPort = 0;
        std::string strDevice;
        CSerialPortInfo info;
        QString strShort;     // shown in the closed list
        std::string strName;  // how the entry names the port
    };

    void Rebuild(int nPort, const std::string& strDevice);

    std::vector<CEntry> m_entries;  // one per entry before "Other…"
};

#include "gui/CPortList.h"

#include "platform/CPortDiscovery.h"
#include "serial/CPortMap.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <algorithm>

namespace {

// The entry's text: what the port is called, what it is, and its marks.
QString EntryText(const std::string& name, const CSerialPortInfo& info) {
    std::string text = name;
    if (!info.strDescription.empty()) {
        text += " – " + info.strDescription;
    }
    return QString::fromStdString(text + info.MarksText());
}

QString BaseName(const std::string& path) {
    return QString::fromStdString(path.substr(path.find_last_of('/') + 1));
}

}  // namespace

CPortList::CPortList(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, [this] { setToolTip(currentText()); });
}

void CPortList::Select(int nPort, const std::string& strDevice) {
    Rebuild(nPort, strDevice);
}

void CPortList::Refresh() {
    const int index = currentIndex();
    if (index < 0 || IsOther(index)) {
        Rebuild(1, {});
    } else {
        Rebuild(PortAt(index), DeviceAt(index));
    }
}

void CPortList::Rebuild(int nPort, const std::string& strDevice) {
    m_entries.clear();
    int selected = -1;
    auto add = [&](CEntry entry, bool bChosen) {
        if (bChosen && selected < 0) {
            selected = static_cast<int>(m_entries.size());
        }
        m_entries.push_back(std::move(entry));
    };
    for (int port = 1; port <= kComPorts; ++port) {
        const std::string device = CPortMap::DeviceFor(port);
        CSerialPortInfo info = CPortDiscovery::Inspect(device);
        info.strDescription.clear();  // the name says it all: COM1 (/dev/ttyS0)
        add({port,
             {},
             std::move(info),
             QString::fromStdString(CPortMap::PortName(port)),
             CPortMap::PortName(port) + " (" + device + ")"},
            strDevice.empty() && port == nPort);
    }
    for (CSerialPortInfo& info : CPortDiscovery::List()) {
        const bool bChosen =
            !strDevice.empty() && (strDevice == info.strDevice || strDevice == info.strById);
        std::string path = info.strById.empty() ? info.strDevice : info.strById;
        QString strShort = BaseName(info.strDevice);
        std::string name = info.Name();
        add({0, std::move(path), std::move(info), std::move(strShort), std::move(name)}, bChosen);
    }
    if (!strDevice.empty() && selected < 0) {
        add({0, strDevice, CPortDiscovery::Inspect(strDevice), BaseName(strDevice), strDevice},
            true);
    }

    const QSignalBlocker block(this);
    clear();
    int widest = 0;
    const QFontMetrics fm(view()->font());
    for (const CEntry& entry : m_entries) {
        addItem(EntryText(entry.strName, entry.info));
        widest = std::max(widest, fm.horizontalAdvance(itemText(count() - 1)));
    }
    addItem(QStringLiteral("Other…"));
    setCurrentIndex(std::max(selected, 0));
    setToolTip(currentText());
    // The closed list keeps its place in the dialog; the open one is as wide
    // as its longest entry.
    const int margins = 4 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this) +
                        style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) +
                        fm.averageCharWidth() * 2;
    view()->setMinimumWidth(widest + margins);
}

QString CPortList::ShownText() const {
    const int index = currentIndex();
    return index >= 0 && index < static_cast<int>(m_entries.size()) ? m_entries[index].strShort
                                                                    : currentText();
}

bool CPortList::IsOther(int index) const {
    return index == count() - 1;
}

int CPortList::PortAt(int index) const {
    return index >= 0 && index < static_cast<int>(m_entries.size()) ? m_entries[index].nPort : 0;
}

std::string CPortList::DeviceAt(int index) const {
    return index >= 0 && index < static_cast<int>(m_entries.size()) ? m_entries[index].strDevice
                                                                    : std::string();
}

const CSerialPortInfo& CPortList::InfoAt(int index) const {
    static const CSerialPortInfo kNone;
    return index >= 0 && index < static_cast<int>(m_entries.size()) ? m_entries[index].info : kNone;
}

void CPortList::showPopup() {
    Refresh();
    QComboBox::showPopup();
}

void CPortList::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect text =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    option.currentText = fontMetrics().elidedText(ShownText(), Qt::ElideMiddle, text.width());
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

#include "gui/CPortList.h"

#include "app/CPortListModel.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <algorithm>

CPortList::CPortList(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, [this] { setToolTip(currentText()); });
}

void CPortList::SetEntries(const std::vector<CPortEntry>& entries, int selected) {
    const QSignalBlocker block(this);
    clear();
    m_shortNames.clear();
    int widest = 0;
    const QFontMetrics fm(view()->font());
    for (const CPortEntry& entry : entries) {
        addItem(QString::fromStdString(entry.strText));
        m_shortNames.push_back(QString::fromStdString(entry.strShort));
        widest = std::max(widest, fm.horizontalAdvance(itemText(count() - 1)));
    }
    addItem(QString::fromUtf8(CPortListModel::kOther));
    setCurrentIndex(selected);
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
    return index >= 0 && index < static_cast<int>(m_shortNames.size())
               ? m_shortNames[static_cast<std::size_t>(index)]
               : currentText();
}

void CPortList::showPopup() {
    emit opening();
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

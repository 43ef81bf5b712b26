#include "gui/CDialogUnits.h"

#include <QFontMetricsF>
#include <QString>

#include <cmath>

CDialogUnits::CDialogUnits(const QFont& font) {
    const QFontMetricsF fm(font);
    const QString sample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = fm.horizontalAdvance(sample) / static_cast<double>(sample.size());
    m_baseY = fm.height();
}

int CDialogUnits::X(int dlu) const {
    return static_cast<int>(std::lround(dlu * m_baseX / 4.0));
}

int CDialogUnits::Y(int dlu) const {
    return static_cast<int>(std::lround(dlu * m_baseY / 8.0));
}

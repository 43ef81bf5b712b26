#include "gui/CStripWidget.h"

#include <QColor>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr int kMargin = 4;
constexpr int kSpacing = 12;  // between the legend's entries

QColor ColourOf(std::uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(0xFF000000U | rgb));
}

}  // namespace

CStripWidget::CStripWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CStripWidget"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void CStripWidget::ShowStrip(const CConfigStrip& strip) {
    m_strip = strip;
    update();
}

int CStripWidget::BarHeight() const {
    return fontMetrics().height() + kMargin;
}

QSize CStripWidget::sizeHint() const {
    // The bar, then the legend's row.
    return {kMargin * 2, kMargin * 3 + BarHeight() + fontMetrics().height()};
}

QRect CStripWidget::BarRect() const {
    if (!m_strip || m_strip->IsEmpty()) {
        return {};
    }
    return {kMargin, kMargin, width() - kMargin * 2, BarHeight()};
}

QString CStripWidget::TipAt(QPoint pos) const {
    const QRect bar = BarRect();
    if (!bar.contains(pos)) {
        return {};
    }
    return QString::fromStdString(m_strip->TipAt(pos.x() - bar.left(), bar.width()));
}

bool CStripWidget::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = TipAt(help->pos());
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), tip, this, BarRect());
    }
    return true;
}

void CStripWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const QRect bar = BarRect();
    if (bar.isEmpty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromLatin1(CConfigStrip::kEmptyText));
        return;
    }
    painter.fillRect(bar, palette().color(QPalette::Base));
    for (const CStripMark& mark : m_strip->Marks()) {
        const auto [left, right] = m_strip->Span(mark, bar.width());
        painter.fillRect(bar.left() + left, bar.top(), right - left, bar.height(),
                         ColourOf(CConfigStrip::Colour(mark.eKind)));
    }
    // The frame runs round the bar, so that a mark at either end stays seen.
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(bar.adjusted(-1, -1, 0, 0));
    PaintLegend(painter, bar.bottom() + 1 + kMargin);
}

void CStripWidget::PaintLegend(QPainter& painter, int top) const {
    const QFontMetrics metrics = fontMetrics();
    const int square = metrics.ascent() - 2;
    const QRect row(kMargin, top, width() - kMargin * 2, metrics.height());
    painter.setPen(palette().color(QPalette::WindowText));
    int x = row.left();
    for (const CStripLegend& entry : CConfigStrip::Legend()) {
        const QRect box(x, row.top() + (row.height() - square) / 2, square, square);
        painter.fillRect(box, ColourOf(entry.nColour));
        x = box.right() + 1 + kMargin;
        const QString label = QString::fromLatin1(entry.szLabel);
        painter.drawText(QRect(x, row.top(), metrics.horizontalAdvance(label), row.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, label);
        x += metrics.horizontalAdvance(label) + kSpacing;
    }
    painter.drawText(row, Qt::AlignRight | Qt::AlignVCenter,
                     QString::fromStdString(m_strip->RangeText()));
}

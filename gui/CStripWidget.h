#pragma once

#include "app/CConfigStrip.h"

#include <QRect>
#include <QString>
#include <QWidget>

#include <optional>

class QPainter;

// The strip under the main window's summary: the address range of the
// configuration in memory as a bar of coloured marks, a legend of their
// colours and the range's first and last address. The tooltip names the
// topmost mark under the pointer.
class CStripWidget : public QWidget {
    Q_OBJECT
public:

    explicit CStripWidget(QWidget* parent = nullptr);

    void ShowStrip(const CConfigStrip& strip);
    // Where the bar is drawn; empty while there is nothing to draw.
    QRect BarRect() const;
    // The tip of the topmost mark at this point; empty off the marks.
    QString TipAt(QPoint pos) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int BarHeight() const;
    void PaintLegend(QPainter& painter, int top) const;

    std::optional<CConfigStrip> m_strip;
};

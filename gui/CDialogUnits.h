#pragma once

#include <QFont>
#include <QRect>

// Positions in dialog units: a quarter of the average character width across,
// an eighth of the character height down, so that a layout follows the font.
class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);

    int X(int dlu) const;
    int Y(int dlu) const;
    QRect Rect(int x, int y, int w, int h) const { return {X(x), Y(y), X(w), Y(h)}; }

private:
    double m_baseX = 6.0;
    double m_baseY = 13.0;
};

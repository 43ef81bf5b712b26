#include "gui/CBlankView.h"

CBlankView::CBlankView(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("CBlankView"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

#pragma once

#include <QFrame>

// The view that fills the main window and shows nothing: all work is done
// through the menu, the toolbar and the transfer dialog.
class CBlankView : public QFrame {
    Q_OBJECT
public:
    explicit CBlankView(QWidget* parent = nullptr);
};

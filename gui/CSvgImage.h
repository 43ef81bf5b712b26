#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// Pictures drawn as SVG in the program's resources, rendered by Qt SVG so that
// they do not depend on an icon-engine plug-in being installed.
class CSvgImage {
public:
    // A null pixmap when the resource is missing or not valid SVG.
    static QPixmap Render(const QString& path, QSize size);
    // The picture at the given size and twice that size; null when missing.
    static QIcon Icon(const QString& path, QSize size);
    // The application icon at the usual window and task bar sizes.
    static QIcon AppIcon();

    static constexpr const char* kAppIconPath = ":/tovrik.svg";
};

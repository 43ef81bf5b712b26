#include "gui/CSvgImage.h"

#include <QPainter>
#include <QSvgRenderer>

QPixmap CSvgImage::Render(const QString& path, QSize size) {
    QSvgRenderer renderer(path);
    if (!renderer.isValid() || size.isEmpty()) {
        return {};
    }
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon CSvgImage::Icon(const QString& path, QSize size) {
    QIcon icon;
    for (const int scale : {1, 2}) {
        const QPixmap pixmap = Render(path, size * scale);
        if (pixmap.isNull()) {
            return {};
        }
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon CSvgImage::AppIcon() {
    QIcon icon;
    for (const int side : {16, 32, 48, 64, 128}) {
        const QPixmap pixmap = Render(kAppIconPath, QSize(side, side));
        if (pixmap.isNull()) {
            return {};
        }
        icon.addPixmap(pixmap);
    }
    return icon;
}

#include "RootPicture.h"

#include "DesktopWallpaper.h"

#include <QPainter>

QImage RenderRootPicture(const QImage& picture, const QSize& screen, int style) {
    QImage frame(screen, QImage::Format_RGB32);
    frame.fill(Qt::black);
    if (picture.isNull())
        return frame;
    QPainter painter(&frame);
    switch (ValidStyle(style)) {
    case wsTiled:
        for (int y = 0; y < screen.height(); y += picture.height())
            for (int x = 0; x < screen.width(); x += picture.width())
                painter.drawImage(x, y, picture);
        break;
    case wsStretched:
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(frame.rect(), picture);
        break;
    default:
        painter.drawImage((screen.width() - picture.width()) / 2,
                          (screen.height() - picture.height()) / 2, picture);
        break;
    }
    return frame;
}

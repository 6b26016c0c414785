#include "RootPicture.h"

#include <QPainter>

namespace {
// The rectangle of the picture's shape, scaled to cover (or to fit) the screen, centred on it.
QRectF KeptShapeRect(const QSize& picture, const QSize& screen, Qt::AspectRatioMode mode) {
    const QSizeF scaled = QSizeF(picture).scaled(QSizeF(screen), mode);
    return QRectF(
        QPointF((screen.width() - scaled.width()) / 2, (screen.height() - scaled.height()) / 2),
        scaled);
}
} // namespace

QImage RenderRootPicture(const QImage& picture, const QSize& screen, TLxWallpaperStyle style) {
    QImage frame(screen, QImage::Format_RGB32);
    frame.fill(Qt::black);
    if (picture.isNull())
        return frame;
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    switch (ValidStyle(style)) {
    case wsTiled:
        for (int y = 0; y < screen.height(); y += picture.height())
            for (int x = 0; x < screen.width(); x += picture.width())
                painter.drawImage(x, y, picture);
        break;
    case wsStretched:
        painter.drawImage(frame.rect(), picture);
        break;
    case wsZoomed:
        painter.drawImage(KeptShapeRect(picture.size(), screen, Qt::KeepAspectRatioByExpanding),
                          picture);
        break;
    case wsScaled:
        painter.drawImage(KeptShapeRect(picture.size(), screen, Qt::KeepAspectRatio), picture);
        break;
    case wsCentered:
        painter.drawImage((screen.width() - picture.width()) / 2,
                          (screen.height() - picture.height()) / 2, picture);
        break;
    }
    return frame;
}

#include "DesktopExpectations.h"

#include <gtest/gtest.h>

void ExpectGetFails(IDesktopWallpaper& desktop) {
    QString fileName = QStringLiteral("stale");
    int style = wsTiled;
    EXPECT_FALSE(desktop.GetWallpaper(fileName, style)) << desktop.Name().toStdString();
    EXPECT_TRUE(fileName.isEmpty());
    EXPECT_EQ(style, wsCentered);
}

QString WritePicture(const QTemporaryDir& folder, const QString& name, int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x * 4, y * 6, 255 - x - y));
    const QString file = folder.filePath(name);
    EXPECT_TRUE(picture.save(file, "BMP"));
    return file;
}

QString WriteQuarters(const QTemporaryDir& folder) {
    QImage quarters(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            quarters.setPixel(x, y,
                              y < 4 ? (x < 4 ? qRgb(255, 0, 0) : qRgb(0, 255, 0))
                                    : (x < 4 ? qRgb(0, 0, 255) : qRgb(255, 255, 255)));
    const QString file = folder.filePath(QStringLiteral("quarters.bmp"));
    EXPECT_TRUE(quarters.save(file, "BMP"));
    return file;
}

QImage ExpectedScreen(const QString& pictureFile, const QSize& screen, int style) {
    const QImage picture(pictureFile);
    const QPoint offset((screen.width() - picture.width()) / 2,
                        (screen.height() - picture.height()) / 2);
    QImage frame(screen, QImage::Format_RGB32);
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            const QPoint source = style == wsTiled
                                      ? QPoint(x % picture.width(), y % picture.height())
                                      : QPoint(x, y) - offset;
            frame.setPixel(x, y,
                           picture.rect().contains(source) ? picture.pixel(source) : qRgb(0, 0, 0));
        }
    return frame;
}

void ExpectStretchedQuarters(const QImage& screen) {
    const int w = screen.width(), h = screen.height();
    EXPECT_EQ(screen.pixel(w / 4, h / 4), qRgb(255, 0, 0));
    EXPECT_EQ(screen.pixel(3 * w / 4, h / 4), qRgb(0, 255, 0));
    EXPECT_EQ(screen.pixel(w / 4, 3 * h / 4), qRgb(0, 0, 255));
    EXPECT_EQ(screen.pixel(3 * w / 4, 3 * h / 4), qRgb(255, 255, 255));
}

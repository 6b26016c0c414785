#include "DesktopExpectations.h"

#include <gtest/gtest.h>

#include <cstdlib>

void ExpectGetFails(IDesktopWallpaper& desktop) {
    QString fileName = QStringLiteral("stale");
    TLxWallpaperStyle style = wsTiled;
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

bool NearColour(QRgb shown, QRgb expected) {
    return std::abs(qRed(shown) - qRed(expected)) <= 8 &&
           std::abs(qGreen(shown) - qGreen(expected)) <= 8 &&
           std::abs(qBlue(shown) - qBlue(expected)) <= 8;
}

namespace {
const QRgb BandColours[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                             qRgb(255, 255, 255)};

void ExpectNear(const QImage& screen, int x, int y, QRgb expected) {
    const QRgb shown = screen.pixel(x, y);
    EXPECT_TRUE(NearColour(shown, expected))
        << "at " << x << "," << y << ": " << std::hex << shown << " instead of " << expected;
}
} // namespace

QString WriteBands(const QTemporaryDir& folder, int width, int height) {
    QImage bands(width, height, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            bands.setPixel(x, y, BandColours[x * 4 / width]);
    const QString file = folder.filePath(QStringLiteral("bands.bmp"));
    EXPECT_TRUE(bands.save(file, "BMP"));
    return file;
}

void ExpectBands(const QImage& screen, TLxWallpaperStyle style) {
    const int w = screen.width(), h = screen.height();
    ASSERT_EQ(w * 3, h * 4) << "the expectations are worked out for a 4:3 screen";
    const QRgb black = qRgb(0, 0, 0);
    if (style == wsZoomed) {
        // Scaled to the screen's height the picture is 4h wide, from -4h/3 on: green covers
        // the left half of the screen, blue the right half; red and white are cut.
        for (int y : {0, h / 2, h - 1}) {
            ExpectNear(screen, 0, y, BandColours[1]);
            // Off the boundary by more than the smoothing spreads it (one scaled pixel).
            ExpectNear(screen, w / 2 - w / 16, y, BandColours[1]);
            ExpectNear(screen, w / 2 + w / 16, y, BandColours[2]);
            ExpectNear(screen, w - 1, y, BandColours[2]);
        }
        int cut = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                cut += NearColour(screen.pixel(x, y), BandColours[0]) ||
                       NearColour(screen.pixel(x, y), BandColours[3]) ||
                       screen.pixel(x, y) == black;
        EXPECT_EQ(cut, 0) << "pixels of the cut bands or black bars";
        return;
    }
    // Scaled to the screen's width the picture is w/4 high, from y = w/4 to w/2, that is from
    // h/3 to 2h/3; black above and below.
    for (int x : {0, w / 2, w - 1}) {
        ExpectNear(screen, x, 0, black);
        ExpectNear(screen, x, h / 3 - 2, black);
        ExpectNear(screen, x, 2 * h / 3 + 1, black);
        ExpectNear(screen, x, h - 1, black);
    }
    for (int y : {h / 3 + 1, h / 2, 2 * h / 3 - 2}) {
        ExpectNear(screen, 0, y, BandColours[0]);
        for (int band = 0; band < 4; ++band)
            ExpectNear(screen, w * (2 * band + 1) / 8, y, BandColours[band]);
        ExpectNear(screen, w - 1, y, BandColours[3]);
    }
}

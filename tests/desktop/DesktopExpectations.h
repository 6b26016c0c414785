#pragma once
// What the desktop tests expect of any adapter: the answer when the desktop cannot be asked,
// and the screen that a test picture gives in each style.

#include "DesktopWallpaper.h"

#include <QImage>
#include <QTemporaryDir>

// A code past the last style: set and read as centred. Also what a test's style variable holds
// before an adapter fills it in.
inline constexpr TLxWallpaperStyle OutOfRangeStyle = TLxWallpaperStyle(255);

// GetWallpaper returns false with an empty file name and wsCentered, whatever the variables
// held before.
void ExpectGetFails(IDesktopWallpaper& desktop);

// Writes a BMP whose every pixel differs from its neighbours; its file name.
QString WritePicture(const QTemporaryDir& folder, const QString& name, int width, int height);
// Writes an 8 x 8 BMP of four solid quarters: red, green / blue, white; its file name.
QString WriteQuarters(const QTemporaryDir& folder);

// The screen of the given size showing the picture tiled from the top-left corner
// (wsTiled) or once in the middle on black (wsCentered, and codes outside 0..2).
QImage ExpectedScreen(const QString& pictureFile, const QSize& screen, int style);
// Checks that the screen shows the quarters picture stretched over all of it.
void ExpectStretchedQuarters(const QImage& screen);

// True when every channel is within a few steps of the expected colour (smooth scaling).
bool NearColour(QRgb shown, QRgb expected);
// Writes a BMP four times as wide as high of four upright bands of equal width: red, green,
// blue, white from left to right; its file name.
QString WriteBands(const QTemporaryDir& folder, int width, int height);
// Checks a 4:3 screen showing the bands picture zoomed (only the middle of green and blue, the
// outer bands cut, no black) or scaled (all four bands across the middle half of the height,
// black above and below), sampled at the edges and the centre; colours within a small
// tolerance, as the scaling is smooth.
void ExpectBands(const QImage& screen, TLxWallpaperStyle style);

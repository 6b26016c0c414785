#pragma once
// What the desktop tests expect of any adapter: the answer when the desktop cannot be asked,
// and the screen that a test picture gives in each style.

#include "DesktopWallpaper.h"

#include <QImage>
#include <QTemporaryDir>

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

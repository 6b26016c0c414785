#pragma once
// The picture laid out over a whole screen in one of the five styles, as the root window shows it.

#include "DesktopWallpaper.h"

#include <QImage>
#include <QSize>

// A screen-sized RGB32 image on black: the picture repeated from the top-left corner (wsTiled),
// drawn once in the middle and cropped when larger (wsCentered, also for any code past
// wsScaled), scaled to the whole screen (wsStretched), or scaled with its shape kept and
// centred, until it covers the screen with the overflow cut (wsZoomed) or until it just fits
// (wsScaled). Scaling is smooth.
QImage RenderRootPicture(const QImage& picture, const QSize& screen, TLxWallpaperStyle style);

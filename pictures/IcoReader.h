#pragma once
// The icon file reader: picks the entry the display would use for a 32 x 32 icon and decodes
// it (a DIB with its AND mask, or a PNG) into an image with alpha.

#include "Dib.h"

#include <QByteArray>

// The size the display asks icons for.
inline constexpr int StandardIconSize = 32;

// Reads an icon file. Type 1 is an icon; type 2 (cursor) is taken only when acceptCursors is
// set (animated cursors hold cursor frames); type 0 gives StandardApplicationIcon(). The entry
// chosen is the first of those closest to 32 x 32 (least |32 - w| + |32 - h|), then closest in
// bits per pixel to displayDepth. The result is ARGB32 (pixels the mask hides are transparent)
// with the entry's bits per pixel. Raises EInvalidGraphic "Icon image is not valid" for a bad
// directory, an entry outside the data, a damaged image or one past MaxPicturePixels.
TDib ReadIco(const QByteArray& data, int displayDepth, bool acceptCursors = false);

// The standard application icon: a 32 x 32 window picture drawn in code, 32 bits per pixel.
TDib StandardApplicationIcon();

#pragma once
// A device-independent bitmap image: what every picture reader produces and what TBitmap holds.

#include "PictureLimits.h"

#include <QImage>

struct TDib {
    QImage Image;         // Format_Indexed8 with its colour table for 1, 4 and 8 bits per
                          // pixel; Format_RGB32 (or ARGB32 with alpha) for 16, 24 and 32
    int BitsPerPixel = 0; // the depth the image has: 1, 4, 8, 16, 24 or 32
    bool IsEmpty() const { return Image.isNull() || Image.width() == 0 || Image.height() == 0; }
};

// Whether a header's size is one readers take: not empty, and no more than MaxPicturePixels.
inline bool IsAcceptedPictureSize(qint64 width, qint64 height) {
    return width > 0 && height > 0 && width * height <= MaxPicturePixels;
}

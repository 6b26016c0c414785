#pragma once
// JPEG XL decoding through libjxl: the header alone for the size, or the first frame, upright.

#include "Graphics.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

// Reads only the header of the JPEG XL file in data and gives back the upright picture size
// (orientations that turn it a quarter swap width and height). Raises EInvalidGraphic "JPEG XL
// image is not valid" for a damaged or truncated header and "JPEG XL image is too large
// (%d x %d pixels)" when it promises more than MaxPicturePixels.
QSize ReadJxlSize(const QByteArray& data);

// Decodes the first frame (of an animation too) upright, as ARGB32 when the file has alpha and
// RGB32 otherwise. With a non-empty box the decoder may stop at the eighth-resolution preview
// that progressive files carry, when that still covers the picture fitted into box; the image
// keeps the full size then. Raises the errors of ReadJxlSize, also for damaged image data.
QImage DecodeJxl(const QByteArray& data, const QSize& box);

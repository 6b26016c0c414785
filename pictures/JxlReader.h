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

// Decodes the first frame (of an animation too) upright at full size, as ARGB32 when the file
// has alpha and RGB32 otherwise. (The library's eighth-size preview of progressive files costs
// as much as the whole decode here, so a cell shrinks the full picture.) Raises the errors of
// ReadJxlSize, also for damaged image data.
QImage DecodeJxl(const QByteArray& data);

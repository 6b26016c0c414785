#pragma once
// PNG files through libpng: recognised by their signature, decoded whole to 32 bits.

#include "Dib.h"

#include <QByteArray>
#include <QSize>

// Reads only the header of the PNG file in data and gives back its size. Raises
// EInvalidGraphic "PNG image is not valid" for anything libpng refuses and "PNG image is too
// large (%d x %d pixels)" when the header promises more than MaxPicturePixels.
QSize ReadPngSize(const QByteArray& data);

// Decodes the whole picture, any bit depth, palette or grey, gamma corrected to sRGB: an
// ARGB32 image (32 bits) when the file has alpha or a transparent colour, else RGB32 (24 bits).
// Raises the errors of ReadPngSize, also for damaged or truncated image data.
TDib DecodePng(const QByteArray& data);

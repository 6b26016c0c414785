#pragma once
// The BMP file writer: a 40-byte info header, no compression, bottom-up rows, at the depth the
// bitmap has (1, 4 and 8 bits with their palette; 16 bits as 5-5-5; 24 and 32 bits).

#include "Dib.h"

#include <QByteArray>

// Encodes dib as a BMP file. An empty dib gives a valid BMP of 0 x 0 pixels at its depth (24
// when none). Raises EInvalidGraphic "Bitmap image is not valid" for a depth other than
// 1, 4, 8, 16, 24 or 32.
QByteArray WriteBmp(const TDib& dib);

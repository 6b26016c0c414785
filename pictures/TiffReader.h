#pragma once
// TIFF files through libtiff, read from bytes in memory: the first page, decoded whole to
// 32 bits and turned upright by its orientation tag.

#include "Dib.h"

#include <QByteArray>
#include <QSize>

// Reads the first page's header and gives back its size as shown (width and height swapped
// when the orientation tag turns it a quarter). Raises EInvalidGraphic "TIFF image is not
// valid" for anything libtiff refuses and "TIFF image is too large (%d x %d pixels)" when the
// header promises more than MaxPicturePixels.
QSize ReadTiffSize(const QByteArray& data);

// Decodes the first page in any layout libtiff's RGBA reader takes (strips or tiles, any
// photometric interpretation it knows, associated or unassociated alpha), upright. ARGB32
// (32 bits) when the page has alpha, else RGB32 (24 bits). Raises the errors of ReadTiffSize,
// also for damaged or truncated image data.
TDib DecodeTiff(const QByteArray& data);

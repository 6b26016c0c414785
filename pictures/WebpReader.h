#pragma once
// WebP files through libwebp: still pictures decoded whole or scaled down while decoding, the
// first frame of an animated one through libwebpdemux.

#include "Dib.h"

#include <QByteArray>
#include <QSize>

// Reads the file's headers and gives back its size (the canvas of an animated file). Raises
// EInvalidGraphic "WebP image is not valid" for anything libwebp refuses and "WebP image is too
// large (%d x %d pixels)" when the header promises more than MaxPicturePixels.
QSize ReadWebpSize(const QByteArray& data);

// Decodes the picture (an animated file's first frame on its canvas) at size, which a still
// picture is scaled to while it decodes and an animated frame after; an empty size means the
// picture's own. ARGB32 (32 bits) when the file has alpha, else RGB32 (24 bits). Raises the
// errors of ReadWebpSize, also for damaged or truncated image data.
TDib DecodeWebp(const QByteArray& data, const QSize& size = QSize());

#pragma once
// AVIF decoding through libavif: the container's header alone for the size, or the first frame
// with its crop (clap), rotation (irot) and mirror (imir) applied.

#include "Graphics.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

// Parses the container in data and gives back the upright size: the clean aperture when the file
// has a valid one, sides swapped for a quarter turn. Raises EInvalidGraphic "AVIF image is not
// valid" for a damaged or truncated container and "AVIF image is too large (%d x %d pixels)"
// when it promises more than MaxPicturePixels.
QSize ReadAvifSize(const QByteArray& data);

// Decodes the first frame (of a sequence too), cropped, rotated and mirrored as the file says,
// as ARGB32 when it has alpha and RGB32 otherwise. The library has no reduced decoding, so the
// image is the full size. Raises the errors of ReadAvifSize, also for damaged image data.
QImage DecodeAvif(const QByteArray& data);

#pragma once
// HEIF/HEIC decoding through libheif: the primary picture's size, or the picture decoded upright,
// from the thumbnail the file carries when that is large enough for a cell.

#include "Graphics.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

// Reads the container in data and gives back the primary picture's upright size (after its
// crop and rotation). Raises EInvalidGraphic "HEIF image is not valid" for a damaged or truncated
// container and "HEIF image is too large (%d x %d pixels)" when it promises more than
// MaxPicturePixels.
QSize ReadHeifSize(const QByteArray& data);

// Decodes the primary picture with the file's crop, rotation and mirror applied, as ARGB32 when
// it has alpha and RGB32 otherwise. With a non-empty box the smallest thumbnail of the file that
// covers the picture fitted into box is decoded instead, when there is one. Raises the errors of
// ReadHeifSize, also for damaged image data.
QImage DecodeHeif(const QByteArray& data, const QSize& box);

#pragma once
// JPEG decoding through libjpeg: the header alone for the size, the whole image at full size, or
// a thumbnail decoded at a reduced scale.

#include "Dib.h"
#include "Graphics.h"

#include <QByteArray>
#include <QSize>

class QIODevice;

LX_DECLARE_EXCEPTION(EJPEG, EInvalidGraphic)

// Reads only the header of the JPEG file in data and gives back the full image size. Raises
// EJPEG "JPEG error #%d" (the library's message number) when the header cannot be read, and
// EJPEG "JPEG image is too large (%d x %d pixels)" when it promises more than MaxPicturePixels.
QSize ReadJpegSize(const QByteArray& data);

// Decodes the whole image at full size with the slow integer transform and block smoothing.
// Gives a 24-bit image, or an 8-bit one of at most 236 colours (quantisation with dithering)
// when eightBit is set or the file is grayscale; a grayscale file is quantised in grey (236 true
// grey levels), others in colour (two passes); four-colour (CMYK) files always give 24 bits. Raises
// the same errors as ReadJpegSize, also for damaged image data.
TDib DecodeJpeg(const QByteArray& data, bool eightBit);

// The smallest libjpeg scale, in eighths (1 to 8), whose output still covers fitted, the
// picture's size fitted into a cell; 8 when even full size does not.
int JpegThumbnailScale(const QSize& picture, const QSize& fitted);

// Reads the JPEG file a chunk at a time and decodes it at JpegThumbnailScale, keeping only the
// rows and columns of a copy of the picture's fitted size (ordinary colour files in 32 bits,
// grey files in 8-bit grey, four-colour files converted to RGB). Gives the full size from the
// header and that copy. Raises the errors of ReadJpegSize and DecodeJpeg; a file that ends
// early decodes as a short memory buffer does, the missing rows grey.
TThumbnailImage DecodeJpegThumbnail(QIODevice& file, const QSize& box);

#pragma once
// JPEG decoding through libjpeg: the header alone for the size, or the whole image at full size.

#include "Dib.h"
#include "Graphics.h"

#include <QByteArray>
#include <QSize>

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

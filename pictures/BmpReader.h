#pragma once
// The BMP file reader: every info-header variant (core 12, 40, 52, 56, 64, 108, 124 bytes),
// 1/4/8/16/24/32 bits per pixel, RLE4/RLE8 with deltas, bit fields and top-down rows. The icon
// reader uses the header and pixel steps on its own for the DIBs inside icon files.

#include "Dib.h"
#include "Graphics.h"

#include <QByteArray>

// What the info header says, after validation.
struct TDibHeader {
    int HeaderSize = 0;
    int Width = 0;
    int Height = 0; // rows, always >= 0; the sign of the stored height is TopDown
    bool TopDown = false;
    int BitsPerPixel = 0;
    quint32 Compression = 0; // 0 raw, 1 RLE8, 2 RLE4, 3 bit fields, 6 bit fields with alpha
    quint32 Masks[4] = {};   // red, green, blue, alpha of 16 and 32 bits per pixel
    qint64 PaletteOffset = 0;
    qint64 PaletteCount = 0;  // entries the header announces (clamped to 2^bits for <= 8 bits)
    int PaletteEntrySize = 4; // 3 for the core header
    qint64 EndOfHeader = 0;   // first byte after header, masks and palette
};

// Reads the info header starting at offset. Raises EInvalidGraphic "Bitmap image is not valid"
// for an unknown size, planes other than 1, a depth or compression it cannot decode, a width or
// height out of range, more than MaxPicturePixels pixels, or a header past the data's end.
TDibHeader ReadDibHeader(const QByteArray& data, qint64 offset);

// Decodes header.Height rows of pixels starting at pixelOffset (palette entries are read only
// before pixelOffset). Indexed result for <= 8 bits, RGB32 or ARGB32 (only when an alpha mask
// gives some non-zero alpha) otherwise. Uncompressed pixels the data does not wholly hold raise
// EInvalidGraphic "Bitmap image is not valid" before anything is allocated, so a short file
// cannot claim a huge picture; RLE data may end early, and pixels it never reaches (skipped by
// a delta or an early end) stay 0, the first palette colour.
TDib DecodeDib(const QByteArray& data, const TDibHeader& header, qint64 pixelOffset);

// The header step of ReadBmp: the info header of a BMP file and where its pixels start.
struct TBmpHeader {
    TDibHeader Dib;
    qint64 PixelOffset = 0;
};
// Raises EInvalidGraphic "Bitmap image is not valid" as ReadBmp does (empty data included).
TBmpHeader ReadBmpHeader(const QByteArray& data);
// As above from the first bytes of a file of fileSize bytes (enough for the headers and the
// palette).
TBmpHeader ReadBmpHeader(const QByteArray& head, qint64 fileSize);

// Reads a whole BMP file. Empty data gives an empty TDib; anything not starting with "BM", or
// with a header ReadDibHeader refuses or pixels DecodeDib refuses, raises EInvalidGraphic
// "Bitmap image is not valid".
TDib ReadBmp(const QByteArray& data);

// Reads a BMP file for a cell of box: the headers and palette, then only the stored rows a
// copy of the picture's fitted size takes (run-length data up to what the picture can need),
// never the whole file. Gives the picture's size and that copy, opaque as a bitmap draws
// (an empty file or picture: size 0 and a blank 1 x 1 copy). Raises what ReadBmp raises; as
// there, rows the file does not hold raise before any is read.
TThumbnailImage ReadBmpThumbnail(QIODevice& file, const QSize& box);

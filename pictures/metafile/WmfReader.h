#pragma once
// Reads the 22-byte header of a placeable Windows metafile and the metafile header after it.

#include <QByteArray>
#include <QRectF>
#include <QSize>

struct TWmfHeader {
    qint16 Left = 0, Top = 0, Right = 0, Bottom = 0; // bounding box, logical units
    quint16 UnitsPerInch = 0;
    quint16 Objects = 0;         // entries of the object table
    qsizetype RecordsOffset = 0; // where the first record starts

    // The bounding box as a rectangle in logical units.
    QRectF Box() const;
    // The bounding box in pixels at the given resolution, rounded.
    QSize PixelSize(int dotsPerInch) const;
};

// Reads a placeable metafile's headers. Data without the key 0x9AC6CDD7, with a checksum that
// does not match the first ten words, with 0 units per inch, with a metafile header that does
// not fit, or with a picture larger than MaxPicturePixels at 96 dpi raises EInvalidGraphic
// "Metafile is not valid".
TWmfHeader ReadWmfHeader(const QByteArray& data);

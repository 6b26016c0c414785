#pragma once
// Builders for the small BMP, icon and animated-cursor files the picture tests read. Every
// sample is made here, byte by byte, so each test shows exactly what the file holds.

#include "Dib.h"

#include <QByteArray>
#include <QImage>
#include <QList>

class QTemporaryDir;
class TGraphic;

// A canvas of the given size filled with background after graphic drew itself into rect.
QImage DrawnInto(TGraphic& graphic, QSize canvasSize, const QRect& rect, QRgb background);

// Writes bytes to a file of that name in dir and gives back its full name.
QString WriteSample(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes);
// A 2 x 2, 24-bit picture: top row red, green; bottom row blue, white.
TDib QuadDib();

// Little-endian pieces.
QByteArray U16(quint16 value);
QByteArray U32(quint32 value);

// A BITMAPINFOHEADER-style header of headerSize bytes (40, 52, 56, 64, 108, 124) with the
// given fields; masks go to bytes 40.. when the header is large enough to hold them.
QByteArray InfoHeader(int headerSize, qint32 width, qint32 height, int bpp, quint32 compression = 0,
                      quint32 colorsUsed = 0, const QList<quint32>& masks = {});
// The 12-byte core header.
QByteArray CoreHeader(int width, int height, int bpp);
// A BMP file: file header, then everything up to the pixels (header, masks, palette), then the
// pixels; bfOffBits points just past headerAndPalette.
QByteArray BmpFile(const QByteArray& headerAndPalette, const QByteArray& pixels);
// Palette entries B,G,R,0 for the given colours.
QByteArray Palette(const QList<QRgb>& colours);

// The DIB of an icon entry: 40-byte header with doubled height, 32 bits per pixel B,G,R,A rows
// bottom-up, then the AND mask (bit 1 where mask is true).
QByteArray IconDib32(const QImage& image, const QList<QList<bool>>& mask = {});
// A 4-bit icon DIB: 16-entry palette, the indexes (row-major, top row first), all opaque.
QByteArray IconDib4(int width, int height, const QList<QRgb>& palette, const QList<int>& indexes);
struct TIconEntrySample {
    int Width;
    int Height;
    int BitCount;
    QByteArray Image;
};
// An icon (type 1) or cursor (type 2) file of the given entries.
QByteArray IcoFile(const QList<TIconEntrySample>& entries, int type = 1);
// A one-entry 32 x 32 32-bit icon file filled with colour.
QByteArray SolidIcon(QRgb colour, int size = 32);

// A RIFF chunk with its pad byte when the size is odd.
QByteArray Chunk(const QByteArray& id, const QByteArray& data);
// An animated cursor of the given icon files; sequence and rates are written only when not
// empty; bitCount goes into the header's bit count field.
QByteArray AniFile(const QList<QByteArray>& icons, const QList<quint32>& sequence = {},
                   const QList<quint32>& rates = {}, quint32 bitCount = 0,
                   quint32 displayRate = 10);

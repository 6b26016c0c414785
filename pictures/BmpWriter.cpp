#include "BmpWriter.h"

#include "Graphics.h"

#include <cstring>

namespace {

constexpr int FileHeaderSize = 14;
constexpr int InfoHeaderSize = 40;
constexpr qint32 PelsPerMetre = 3780; // 96 dots per inch

void PutU16(char* p, quint16 v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

void PutU32(char* p, quint32 v) {
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

void WriteHeaders(char* out, const TDib& dib, int bpp, int paletteCount, qint64 imageSize) {
    const quint32 offBits = FileHeaderSize + InfoHeaderSize + 4 * paletteCount;
    out[0] = 'B';
    out[1] = 'M';
    PutU32(out + 2, quint32(offBits + imageSize));
    PutU32(out + 10, offBits);
    char* info = out + FileHeaderSize;
    PutU32(info, InfoHeaderSize);
    PutU32(info + 4, quint32(dib.Image.width()));
    PutU32(info + 8, quint32(dib.Image.height()));
    PutU16(info + 12, 1);
    PutU16(info + 14, quint16(bpp));
    PutU32(info + 20, quint32(imageSize));
    PutU32(info + 24, PelsPerMetre);
    PutU32(info + 28, PelsPerMetre);
    PutU32(info + 32, quint32(paletteCount));
    char* palette = info + InfoHeaderSize;
    const QVector<QRgb> table = dib.Image.colorTable();
    for (int i = 0; i < paletteCount; ++i) {
        const QRgb c = i < table.size() ? table[i] : qRgb(0, 0, 0);
        palette[4 * i] = char(qBlue(c));
        palette[4 * i + 1] = char(qGreen(c));
        palette[4 * i + 2] = char(qRed(c));
    }
}

void PackIndexedRow(const uchar* src, int width, int bpp, char* dest) {
    const int perByte = 8 / bpp;
    const int mask = (1 << bpp) - 1;
    for (int x = 0; x < width; ++x)
        dest[x / perByte] =
            char(uchar(dest[x / perByte]) | ((src[x] & mask) << (8 - bpp * (x % perByte + 1))));
}

void PackRgbRow(const QRgb* src, int width, int bpp, char* dest) {
    if (bpp == 32 && Q_BYTE_ORDER == Q_LITTLE_ENDIAN) { // QRgb in memory is already B,G,R,A
        std::memcpy(dest, src, size_t(width) * 4);
        return;
    }
    for (int x = 0; x < width; ++x) {
        const QRgb c = src[x];
        if (bpp == 16) {
            PutU16(dest + 2 * x,
                   quint16(((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3)));
        } else if (bpp == 24) {
            dest[3 * x] = char(qBlue(c));
            dest[3 * x + 1] = char(qGreen(c));
            dest[3 * x + 2] = char(qRed(c));
        } else {
            PutU32(dest + 4 * x, c);
        }
    }
}

QImage PixelsFor(const TDib& dib, int bpp) {
    if (bpp <= 8)
        return dib.Image.format() == QImage::Format_Indexed8
                   ? dib.Image
                   : dib.Image.convertToFormat(QImage::Format_Indexed8);
    if (dib.Image.format() == QImage::Format_RGB32 || dib.Image.format() == QImage::Format_ARGB32)
        return dib.Image;
    return dib.Image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

QByteArray WriteBmp(const TDib& dib) {
    const int bpp = dib.BitsPerPixel == 0 ? 24 : dib.BitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    const QImage pixels = dib.IsEmpty() ? QImage() : PixelsFor(dib, bpp);
    const int width = pixels.width(), height = pixels.height();
    const int paletteCount = bpp <= 8 ? 1 << bpp : 0;
    const qint64 stride = (qint64(width) * bpp + 31) / 32 * 4;
    const qint64 imageSize = stride * height;
    QByteArray out(FileHeaderSize + InfoHeaderSize + 4 * paletteCount + imageSize, '\0');
    WriteHeaders(out.data(), TDib{pixels, bpp}, bpp, paletteCount, imageSize);
    char* rows = out.data() + FileHeaderSize + InfoHeaderSize + 4 * paletteCount;
    for (int y = 0; y < height; ++y) {
        char* dest = rows + qint64(height - 1 - y) * stride;
        if (bpp <= 8)
            PackIndexedRow(pixels.constScanLine(y), width, bpp, dest);
        else
            PackRgbRow(reinterpret_cast<const QRgb*>(pixels.constScanLine(y)), width, bpp, dest);
    }
    return out;
}

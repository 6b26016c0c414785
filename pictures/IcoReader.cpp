#include "IcoReader.h"

#include "BmpReader.h"
#include "Graphics.h"
#include "LittleEndian.h"

#include <QPainter>

#include <cstdlib>

namespace {

constexpr int DirectorySize = 6;
constexpr int EntrySize = 16;
const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);

[[noreturn]] void InvalidIcon() {
    throw EInvalidGraphic(QStringLiteral("Icon image is not valid"));
}

struct TEntry {
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 0;
    qint64 Size = 0;
    qint64 Offset = 0;
};

bool IsPng(const QByteArray& data, qint64 offset) {
    return HasBytes(data, offset, PngSignature.size()) &&
           data.mid(offset, PngSignature.size()) == PngSignature;
}

// Depth of the entry's own image when it can be seen, else the directory's figure.
int EntryDepth(const QByteArray& data, qint64 offset, int directoryBits) {
    if (IsPng(data, offset))
        return 32;
    if (HasBytes(data, offset, 16)) {
        const quint32 headerSize = PeekU32(data, offset);
        if (headerSize == 12)
            return PeekU16(data, offset + 10);
        if (headerSize >= 40)
            return PeekU16(data, offset + 14);
    }
    return directoryBits;
}

TEntry ReadEntry(const QByteArray& data, int index) {
    const qint64 at = DirectorySize + qint64(index) * EntrySize;
    const auto* p = reinterpret_cast<const uchar*>(data.constData()) + at;
    TEntry e;
    e.Width = p[0] == 0 ? 256 : p[0];
    e.Height = p[1] == 0 ? 256 : p[1];
    e.Size = PeekU32(data, at + 8);
    e.Offset = PeekU32(data, at + 12);
    e.BitsPerPixel = EntryDepth(data, e.Offset, PeekU16(data, at + 6));
    return e;
}

TEntry ChooseEntry(const QByteArray& data, int count, int displayDepth) {
    TEntry best = ReadEntry(data, 0);
    auto distance = [](const TEntry& e) {
        return std::abs(StandardIconSize - e.Width) + std::abs(StandardIconSize - e.Height);
    };
    for (int i = 1; i < count; ++i) {
        const TEntry e = ReadEntry(data, i);
        const int d = distance(e), bestD = distance(best);
        if (d < bestD || (d == bestD && std::abs(displayDepth - e.BitsPerPixel) <
                                            std::abs(displayDepth - best.BitsPerPixel)))
            best = e;
    }
    return best;
}

TDib DecodePng(const QByteArray& bytes) {
    // IHDR holds the size big-endian at 16 and 20; refuse huge images before decoding.
    if (bytes.size() < 24)
        InvalidIcon();
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const quint32 w = (quint32(p[16]) << 24) | (p[17] << 16) | (p[18] << 8) | p[19];
    const quint32 h = (quint32(p[20]) << 24) | (p[21] << 16) | (p[22] << 8) | p[23];
    if (quint64(w) * h > quint64(MaxPicturePixels))
        InvalidIcon();
    QImage image;
    if (!image.loadFromData(bytes, "PNG") || image.isNull())
        InvalidIcon();
    return TDib{image.convertToFormat(QImage::Format_ARGB32), 32};
}

// Clears the pixels whose AND-mask bit is 1; a mask the data does not hold leaves them opaque.
void ApplyMask(const QByteArray& bytes, qint64 maskOffset, QImage& image) {
    const qint64 stride = (qint64(image.width()) + 31) / 32 * 4;
    for (int y = 0; y < image.height(); ++y) {
        const qint64 row = maskOffset + qint64(image.height() - 1 - y) * stride;
        if (!HasBytes(bytes, row, stride))
            continue;
        auto* dest = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((uchar(bytes[row + x / 8]) >> (7 - x % 8)) & 1)
                dest[x] = 0;
    }
}

// The colour bitmap with the AND mask applied, or with its own alpha when it has some.
TDib DecodeMaskedDib(const QByteArray& bytes, TDibHeader header) {
    if (header.Compression == 1 || header.Compression == 2)
        InvalidIcon();
    header.Height /= 2; // the stored height counts the colour rows and the mask rows
    if (header.BitsPerPixel == 32 && header.Compression == 0)
        header.Masks[3] = 0xFF000000u;
    TDib dib = DecodeDib(bytes, header, header.EndOfHeader);
    if (dib.IsEmpty())
        InvalidIcon();
    const bool hasAlpha = dib.Image.format() == QImage::Format_ARGB32;
    dib.Image = dib.Image.convertToFormat(QImage::Format_ARGB32);
    if (!hasAlpha) {
        const qint64 colourStride = (qint64(header.Width) * header.BitsPerPixel + 31) / 32 * 4;
        ApplyMask(bytes, header.EndOfHeader + colourStride * header.Height, dib.Image);
    }
    return dib;
}

TDib DecodeIconDib(const QByteArray& bytes) {
    try {
        return DecodeMaskedDib(bytes, ReadDibHeader(bytes, 0));
    } catch (const EInvalidGraphic&) {
        InvalidIcon();
    }
}

} // namespace

TDib ReadIco(const QByteArray& data, int displayDepth, bool acceptCursors) {
    if (!HasBytes(data, 0, DirectorySize) || PeekU16(data, 0) != 0)
        InvalidIcon();
    const int type = PeekU16(data, 2);
    if (type == 0)
        return StandardApplicationIcon();
    if (type != 1 && !(type == 2 && acceptCursors))
        InvalidIcon();
    const int count = PeekU16(data, 4);
    if (count == 0 || !HasBytes(data, DirectorySize, qint64(count) * EntrySize))
        InvalidIcon();
    const TEntry entry = ChooseEntry(data, count, displayDepth);
    if (!HasBytes(data, entry.Offset, entry.Size))
        InvalidIcon();
    const QByteArray bytes = data.mid(entry.Offset, entry.Size);
    return IsPng(bytes, 0) ? DecodePng(bytes) : DecodeIconDib(bytes);
}

TDib StandardApplicationIcon() {
    QImage image(StandardIconSize, StandardIconSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(2, 4, 27, 23);
    painter.fillRect(3, 5, 26, 5, QColor(0, 0, 128));
    painter.fillRect(24, 6, 3, 3, QColor(192, 192, 192));
    painter.end();
    return TDib{image, 32};
}

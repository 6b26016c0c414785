#include "WmfReader.h"

#include "Dib.h"
#include "Graphics.h"
#include "MetafileBytes.h"

#include <cstdlib>

namespace {

constexpr quint32 PlaceableKey = 0x9AC6CDD7;
constexpr qsizetype PlaceableHeaderSize = 22;
constexpr qsizetype MinMetaHeaderWords = 9;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(QStringLiteral("Metafile is not valid"));
}

quint16 Checksum(const TMetafileBytes& bytes) {
    quint16 sum = 0;
    for (qsizetype offset = 0; offset < 20; offset += 2)
        sum ^= bytes.U16(offset);
    return sum;
}

} // namespace

QRectF TWmfHeader::Box() const {
    return QRectF(QPointF(Left, Top), QPointF(Right, Bottom));
}

QSize TWmfHeader::PixelSize(int dotsPerInch) const {
    const auto scale = [&](int extent) {
        return int((qint64(std::abs(extent)) * dotsPerInch + UnitsPerInch / 2) / UnitsPerInch);
    };
    return QSize(scale(Right - Left), scale(Bottom - Top));
}

TWmfHeader ReadWmfHeader(const QByteArray& data) {
    const TMetafileBytes bytes(data.constData(), data.size());
    if (!bytes.Has(0, PlaceableHeaderSize) || bytes.U32(0) != PlaceableKey ||
        bytes.U16(20) != Checksum(bytes))
        Invalid();
    TWmfHeader header;
    header.Left = bytes.I16(6);
    header.Top = bytes.I16(8);
    header.Right = bytes.I16(10);
    header.Bottom = bytes.I16(12);
    header.UnitsPerInch = bytes.U16(14);
    if (header.UnitsPerInch == 0)
        Invalid();
    const qsizetype headerWords = bytes.U16(PlaceableHeaderSize + 2);
    if (headerWords < MinMetaHeaderWords || !bytes.Has(PlaceableHeaderSize, headerWords * 2))
        Invalid();
    header.Objects = bytes.U16(PlaceableHeaderSize + 10);
    header.RecordsOffset = PlaceableHeaderSize + headerWords * 2;
    const QSize size = header.PixelSize(96);
    if (qint64(size.width()) * size.height() > MaxPicturePixels)
        Invalid();
    return header;
}

#include "MetafileDib.h"

#include "BmpReader.h"
#include "Graphics.h"

namespace {

// RLE data can promise many pixels from few bytes; bounded so a damaged record stays cheap.
constexpr qint64 MaxRlePixels = qint64(1) << 24;

TMetafileDib Decode(const QByteArray& data, qint64 pixelOffset, bool bitsFollowHeader) {
    try {
        const TDibHeader header = ReadDibHeader(data, 0);
        const qint64 start = bitsFollowHeader ? header.EndOfHeader : pixelOffset;
        const qint64 available = data.size() - start;
        const qint64 pixels = qint64(header.Width) * header.Height;
        const bool rle = header.Compression == 1 || header.Compression == 2;
        const qint64 stride = (qint64(header.Width) * header.BitsPerPixel + 31) / 32 * 4;
        if (available < 0 || (rle ? pixels > MaxRlePixels : stride * header.Height > available))
            return {};
        return {DecodeDib(data, header, start).Image, !header.TopDown};
    } catch (const EInvalidGraphic&) {
        return {};
    }
}

} // namespace

TMetafileDib DecodeMetafileDib(const TMetafileBytes& info, const TMetafileBytes& bits) {
    QByteArray data(info.Data(), info.Size());
    data.append(bits.Data(), bits.Size());
    return Decode(data, info.Size(), false);
}

TMetafileDib DecodeMetafileDib(const TMetafileBytes& packed) {
    return Decode(QByteArray(packed.Data(), packed.Size()), 0, true);
}

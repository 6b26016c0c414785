#include "BmpReader.h"

#include "Graphics.h"
#include "LittleEndian.h"
#include "ThumbnailSampler.h"

#include <QIODevice>

#include <QVector>

#include <algorithm>
#include <bit>
#include <vector>

namespace {

constexpr qint64 FileHeaderSize = 14;
// The file header, the largest info header, its masks and a full palette: all a thumbnail
// reads before the pixels.
constexpr qint64 MaxHeadBytes = FileHeaderSize + 124 + 16 + 256 * 4;

[[noreturn]] void InvalidBitmap() {
    throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
}

bool CompressionFits(const TDibHeader& h) {
    switch (h.Compression) {
    case 0:
        return true;
    case 1:
        return h.BitsPerPixel == 8 && !h.TopDown;
    case 2:
        return h.BitsPerPixel == 4 && !h.TopDown;
    case 3:
        return h.HeaderSize != 64 && (h.BitsPerPixel == 16 || h.BitsPerPixel == 32);
    case 6:
        return h.HeaderSize != 64 && (h.BitsPerPixel == 16 || h.BitsPerPixel == 32);
    default:
        return false;
    }
}

void ReadCoreHeader(const QByteArray& data, qint64 offset, TDibHeader& h) {
    h.Width = PeekU16(data, offset + 4);
    h.Height = PeekU16(data, offset + 6);
    if (PeekU16(data, offset + 8) != 1)
        InvalidBitmap();
    h.BitsPerPixel = PeekU16(data, offset + 10);
    if (h.BitsPerPixel != 1 && h.BitsPerPixel != 4 && h.BitsPerPixel != 8 && h.BitsPerPixel != 24)
        InvalidBitmap();
    h.PaletteEntrySize = 3;
    h.PaletteOffset = offset + 12;
    h.PaletteCount = h.BitsPerPixel <= 8 ? (qint64(1) << h.BitsPerPixel) : 0;
}

// Masks live in the header from 52 bytes on; after a 40-byte header they follow it.
qint64 ReadMasks(const QByteArray& data, qint64 offset, TDibHeader& h) {
    const int maskCount = h.Compression == 6 ? 4 : 3;
    const bool inHeader = h.HeaderSize >= 52;
    const qint64 at = inHeader ? offset + 40 : offset + h.HeaderSize;
    const int available = inHeader ? std::min<int>(4, (h.HeaderSize - 40) / 4) : maskCount;
    if (!HasBytes(data, at, qint64(available) * 4))
        InvalidBitmap();
    for (int i = 0; i < available; ++i)
        h.Masks[i] = PeekU32(data, at + 4 * i);
    return inHeader ? 0 : qint64(maskCount) * 4;
}

void SetDefaultMasks(TDibHeader& h) {
    if (h.BitsPerPixel == 16) {
        h.Masks[0] = 0x7C00;
        h.Masks[1] = 0x03E0;
        h.Masks[2] = 0x001F;
    } else {
        h.Masks[0] = 0x00FF0000;
        h.Masks[1] = 0x0000FF00;
        h.Masks[2] = 0x000000FF;
    }
    h.Masks[3] = 0;
}

void ReadInfoHeader(const QByteArray& data, qint64 offset, TDibHeader& h) {
    const qint32 width = PeekI32(data, offset + 4);
    const qint32 height = PeekI32(data, offset + 8);
    if (width < 0 || height == INT32_MIN || PeekU16(data, offset + 12) != 1)
        InvalidBitmap();
    h.Width = width;
    h.TopDown = height < 0;
    h.Height = height < 0 ? -height : height;
    h.BitsPerPixel = PeekU16(data, offset + 14);
    h.Compression = PeekU32(data, offset + 16);
    const int bpp = h.BitsPerPixel;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        InvalidBitmap();
    if (!CompressionFits(h))
        InvalidBitmap();
    qint64 extra = 0;
    if (h.Compression == 3 || h.Compression == 6)
        extra = ReadMasks(data, offset, h);
    else if (bpp == 16 || bpp == 32)
        SetDefaultMasks(h);
    const qint64 used = PeekU32(data, offset + 32);
    h.PaletteOffset = offset + h.HeaderSize + extra;
    if (bpp <= 8)
        h.PaletteCount = (used == 0 || used > (qint64(1) << bpp)) ? (qint64(1) << bpp) : used;
    else
        h.PaletteCount = std::min<qint64>(used, 256);
}

QVector<QRgb> ReadPalette(const QByteArray& data, const TDibHeader& h, qint64 limit) {
    QVector<QRgb> table(1 << h.BitsPerPixel, qRgb(0, 0, 0));
    for (int i = 0; i < table.size() && i < h.PaletteCount; ++i) {
        const qint64 at = h.PaletteOffset + qint64(i) * h.PaletteEntrySize;
        if (at + h.PaletteEntrySize > limit || !HasBytes(data, at, h.PaletteEntrySize))
            break;
        const auto* p = reinterpret_cast<const uchar*>(data.constData()) + at;
        table[i] = qRgb(p[2], p[1], p[0]);
    }
    return table;
}

// One colour channel scaled to 0..255 from its masked bits.
struct TChannel {
    quint32 Mask = 0;
    int Shift = 0;
    quint64 Max = 0;
    explicit TChannel(quint32 mask) : Mask(mask) {
        if (mask != 0) {
            Shift = std::countr_zero(mask);
            Max = (quint64(1) << std::bit_width(mask >> Shift)) - 1;
        }
    }
    int Value(quint32 pixel) const {
        return Mask == 0 ? 0 : int(((pixel & Mask) >> Shift) * 255 / Max);
    }
};

void DecodeIndexedRow(const uchar* src, int bpp, uchar* dest, int width) {
    const int perByte = 8 / bpp;
    const int mask = (1 << bpp) - 1;
    for (int x = 0; x < width; ++x) {
        const int shift = 8 - bpp * (x % perByte + 1);
        dest[x] = uchar((src[x / perByte] >> shift) & mask);
    }
}

struct TRgbDecoder {
    TChannel Red, Green, Blue, Alpha;
    int BytesPerPixel;
    bool AnyAlpha = false;
    explicit TRgbDecoder(const TDibHeader& h)
        : Red(h.Masks[0]), Green(h.Masks[1]), Blue(h.Masks[2]), Alpha(h.Masks[3]),
          BytesPerPixel(h.BitsPerPixel / 8) {}

    void Row(const uchar* src, QRgb* dest, int width) {
        for (int x = 0; x < width; ++x) {
            const uchar* p = src + qint64(x) * BytesPerPixel;
            if (BytesPerPixel == 3) {
                dest[x] = qRgb(p[2], p[1], p[0]);
                continue;
            }
            const quint32 v = BytesPerPixel == 2 ? quint32(p[0] | (p[1] << 8))
                                                 : quint32(p[0] | (p[1] << 8) | (p[2] << 16)) |
                                                       (quint32(p[3]) << 24);
            const int a = Alpha.Value(v);
            AnyAlpha = AnyAlpha || a != 0;
            dest[x] = qRgba(Red.Value(v), Green.Value(v), Blue.Value(v), a);
        }
    }
};

void MakeOpaque(QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] |= 0xFF000000u;
    }
}

// Decoded masked pixels keep their alpha only when some pixel has any.
void FinishRgb(QImage& image, bool anyAlpha) {
    if (anyAlpha)
        image.reinterpretAsFormat(QImage::Format_ARGB32);
    else
        MakeOpaque(image);
}

qint64 RowStride(const TDibHeader& h) {
    return (qint64(h.Width) * h.BitsPerPixel + 31) / 32 * 4;
}

// The caller has checked that every row is there.
void DecodeRaw(const QByteArray& data, const TDibHeader& h, qint64 pixelOffset, QImage& image) {
    const qint64 stride = RowStride(h);
    const auto* base = reinterpret_cast<const uchar*>(data.constData());
    TRgbDecoder rgb(h);
    for (int y = 0; y < h.Height; ++y) {
        const qint64 at = pixelOffset + qint64(y) * stride;
        uchar* dest = image.scanLine(h.TopDown ? y : h.Height - 1 - y);
        if (h.BitsPerPixel <= 8)
            DecodeIndexedRow(base + at, h.BitsPerPixel, dest, h.Width);
        else
            rgb.Row(base + at, reinterpret_cast<QRgb*>(dest), h.Width);
    }
    if (h.BitsPerPixel > 8)
        FinishRgb(image, rgb.AnyAlpha);
}

// Where run-length decoding puts its rows; rows count from the bottom as the file stores them.
class TIndexRows {
public:
    virtual ~TIndexRows() = default;
    // The row's pixels, all 0 when the decoder first enters it.
    virtual uchar* Enter(int fromBottom) = 0;
    // The decoder has left the row for good.
    virtual void Leave(int fromBottom) = 0;
};

// Decoding into the whole picture.
class TImageRows : public TIndexRows {
public:
    explicit TImageRows(QImage& image) : FImage(image) {}
    uchar* Enter(int fromBottom) override {
        return FImage.scanLine(FImage.height() - 1 - fromBottom);
    }
    void Leave(int) override {}

private:
    QImage& FImage;
};

// Run-length decoding; x and y count from the bottom-left as the file stores rows.
class TRleDecoder {
public:
    TRleDecoder(const QByteArray& data, const TDibHeader& h, qint64 at, TIndexRows& rows)
        : FData(data), FHeader(h), FAt(at), FRows(rows) {}

    void Run() {
        while (FY < FHeader.Height && HasBytes(FData, FAt, 2)) {
            const int first = Byte(FAt), second = Byte(FAt + 1);
            FAt += 2;
            if (first > 0)
                Repeat(first, second);
            else if (second == 0)
                Advance(1), FX = 0;
            else if (second == 1)
                break;
            else if (second == 2)
                Delta();
            else
                Literal(second);
        }
        Advance(0);
    }

private:
    int Byte(qint64 at) const { return uchar(FData[at]); }

    // Callers keep FX inside the row; Run keeps FY inside the picture.
    void Put(int value) {
        if (!FRow)
            FRow = FRows.Enter(FY);
        FRow[FX++] = uchar(value);
    }

    // Leaves the current row and goes rows further up the picture (0 at the end of the data).
    void Advance(int rows) {
        if (FRow)
            FRows.Leave(FY);
        FRow = nullptr;
        FY += rows;
    }

    void Repeat(int count, int value) {
        for (int i = 0; i < count && FX < FHeader.Width; ++i)
            Put(FHeader.BitsPerPixel == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 15));
    }

    void Delta() {
        if (!HasBytes(FData, FAt, 2)) {
            FAt = FData.size();
            return;
        }
        FX = std::min(FX + Byte(FAt), FHeader.Width); // beyond the row nothing is drawn
        const int down = Byte(FAt + 1);
        FAt += 2;
        if (down > 0)
            Advance(down);
    }

    void Literal(int count) {
        const bool eight = FHeader.BitsPerPixel == 8;
        const qint64 bytes = eight ? count : (count + 1) / 2;
        for (int i = 0; i < count && FX < FHeader.Width; ++i) {
            const qint64 at = FAt + (eight ? i : i / 2);
            if (!HasBytes(FData, at, 1))
                break;
            Put(eight ? Byte(at) : (i % 2 == 0 ? Byte(at) >> 4 : Byte(at) & 15));
        }
        FAt += bytes + (bytes & 1);
    }

    const QByteArray& FData;
    const TDibHeader& FHeader;
    qint64 FAt;
    TIndexRows& FRows;
    uchar* FRow = nullptr;
    int FX = 0;
    int FY = 0;
};

} // namespace

TDibHeader ReadDibHeader(const QByteArray& data, qint64 offset) {
    if (!HasBytes(data, offset, 4))
        InvalidBitmap();
    TDibHeader h;
    h.HeaderSize = int(PeekU32(data, offset));
    switch (h.HeaderSize) {
    case 12:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        break;
    default:
        InvalidBitmap();
    }
    if (!HasBytes(data, offset, h.HeaderSize))
        InvalidBitmap();
    if (h.HeaderSize == 12)
        ReadCoreHeader(data, offset, h);
    else
        ReadInfoHeader(data, offset, h);
    if (qint64(h.Width) * h.Height > MaxPicturePixels)
        InvalidBitmap();
    h.EndOfHeader = h.PaletteOffset + h.PaletteCount * h.PaletteEntrySize;
    return h;
}

TDib DecodeDib(const QByteArray& data, const TDibHeader& header, qint64 pixelOffset) {
    TDib dib;
    dib.BitsPerPixel = header.BitsPerPixel;
    if (header.Width == 0 || header.Height == 0)
        return dib;
    const bool rle = header.Compression == 1 || header.Compression == 2;
    if (!rle && !HasBytes(data, pixelOffset, RowStride(header) * header.Height))
        InvalidBitmap();
    const bool indexed = header.BitsPerPixel <= 8;
    dib.Image = QImage(header.Width, header.Height,
                       indexed ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (dib.Image.isNull())
        InvalidBitmap();
    dib.Image.fill(indexed ? 0u : qRgb(0, 0, 0));
    if (indexed)
        dib.Image.setColorTable(ReadPalette(data, header, pixelOffset));
    if (rle) {
        TImageRows rows(dib.Image);
        TRleDecoder(data, header, pixelOffset, rows).Run();
    } else
        DecodeRaw(data, header, pixelOffset, dib.Image);
    return dib;
}

TBmpHeader ReadBmpHeader(const QByteArray& data) {
    return ReadBmpHeader(data, data.size());
}

TBmpHeader ReadBmpHeader(const QByteArray& head, qint64 fileSize) {
    if (head.size() < FileHeaderSize || head[0] != 'B' || head[1] != 'M')
        InvalidBitmap();
    TBmpHeader header{ReadDibHeader(head, FileHeaderSize), PeekU32(head, 10)};
    if (header.PixelOffset > fileSize)
        InvalidBitmap();
    if (header.PixelOffset < header.Dib.PaletteOffset)
        header.PixelOffset = header.Dib.EndOfHeader;
    return header;
}

TDib ReadBmp(const QByteArray& data) {
    if (data.isEmpty())
        return {};
    const TBmpHeader header = ReadBmpHeader(data);
    return DecodeDib(data, header.Dib, header.PixelOffset);
}

namespace {

QImage BlankThumbnail() {
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Hands the rows of run-length data that a thumbnail takes to its sampler.
class TSampledRows : public TIndexRows {
public:
    TSampledRows(TThumbnailSampler& sampler, const TDibHeader& h)
        : FSampler(sampler), FRow(size_t(h.Width)), FHeight(h.Height) {}
    uchar* Enter(int) override {
        std::fill(FRow.begin(), FRow.end(), uchar(0));
        return FRow.data();
    }
    void Leave(int fromBottom) override { FSampler.AddRow(FHeight - 1 - fromBottom, FRow.data()); }

private:
    TThumbnailSampler& FSampler;
    std::vector<uchar> FRow;
    int FHeight;
};

// Run-length data costs at most two bytes a pixel and two an end of row; what lies beyond
// cannot add to the picture and is not read.
qint64 MaxRleBytes(const TDibHeader& h) {
    return 2 * (qint64(h.Width) * h.Height + h.Height + 1);
}

void SampleRle(QIODevice& file, const TBmpHeader& header, TThumbnailSampler& sampler) {
    if (!file.seek(header.PixelOffset))
        InvalidBitmap();
    const QByteArray data = file.read(MaxRleBytes(header.Dib));
    TSampledRows rows(sampler, header.Dib);
    TRleDecoder(data, header.Dib, 0, rows).Run();
}

// Reads only the stored rows the thumbnail takes, one at a time.
void SampleRaw(QIODevice& file, const TBmpHeader& header, TThumbnailSampler& sampler) {
    const TDibHeader& h = header.Dib;
    const qint64 stride = RowStride(h);
    if (header.PixelOffset + stride * h.Height > file.size())
        InvalidBitmap();
    const bool indexed = h.BitsPerPixel <= 8;
    QByteArray stored(stride, Qt::Uninitialized);
    std::vector<uchar> row(size_t(h.Width) * (indexed ? 1 : 4));
    TRgbDecoder rgb(h);
    int previous = -1;
    for (const int y : sampler.SourceRows()) {
        if (y == previous)
            continue;
        previous = y;
        const qint64 at = header.PixelOffset + qint64(h.TopDown ? y : h.Height - 1 - y) * stride;
        if (!file.seek(at) || file.read(stored.data(), stride) != stride)
            InvalidBitmap();
        const auto* source = reinterpret_cast<const uchar*>(stored.constData());
        if (indexed)
            DecodeIndexedRow(source, h.BitsPerPixel, row.data(), h.Width);
        else
            rgb.Row(source, reinterpret_cast<QRgb*>(row.data()), h.Width);
        sampler.AddRow(y, row.data());
    }
    if (!indexed) {
        FinishRgb(sampler.Image(), rgb.AnyAlpha);
        // A bitmap draws opaque, its alpha dropped.
        sampler.Image().convertTo(QImage::Format_RGB32);
    }
}

} // namespace

TThumbnailImage ReadBmpThumbnail(QIODevice& file, const QSize& box) {
    const QByteArray head = file.read(MaxHeadBytes);
    if (head.isEmpty())
        return {QSize(0, 0), BlankThumbnail()};
    const TBmpHeader header = ReadBmpHeader(head, file.size());
    const TDibHeader& h = header.Dib;
    const QSize size(h.Width, h.Height);
    if (size.isEmpty())
        return {size, BlankThumbnail()};
    const bool indexed = h.BitsPerPixel <= 8;
    TThumbnailSampler sampler(size, FittedSize(size, box),
                              indexed ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (sampler.Image().isNull())
        InvalidBitmap();
    if (indexed)
        sampler.Image().setColorTable(ReadPalette(head, h, header.PixelOffset));
    if (h.Compression == 1 || h.Compression == 2)
        SampleRle(file, header, sampler);
    else
        SampleRaw(file, header, sampler);
    return {size, sampler.Image()};
}

#include "GifReader.h"

#include "GifLzw.h"
#include "Graphics.h"
#include "ThumbnailSampler.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uchar ExtensionIntroducer = 0x21;
constexpr uchar ImageSeparator = 0x2C;
constexpr uchar Trailer = 0x3B;
constexpr uchar GraphicControlLabel = 0xF9;
constexpr uchar PlainTextLabel = 0x01;
constexpr uchar ApplicationLabel = 0xFF;
constexpr uchar CommentLabel = 0xFE;
constexpr int MinCodeSize = 2;
constexpr int MaxCodeSize = 9;

[[noreturn]] void RaiseGif(const QString& message) {
    throw EInvalidGraphicOperation(message);
}

// Reads the file front to back; running past its end is a stream read error.
class TByteCursor {
public:
    explicit TByteCursor(const QByteArray& data)
        : FPos(reinterpret_cast<const uchar*>(data.constData())), FEnd(FPos + data.size()) {}

    bool AtEnd() const { return FPos == FEnd; }
    uchar Byte() { return *Take(1); }
    int Word() {
        const uchar* bytes = Take(2);
        return bytes[0] | (bytes[1] << 8);
    }
    const uchar* Take(qsizetype count) {
        if (FEnd - FPos < count)
            throw EReadError(QStringLiteral("Stream read error"));
        const uchar* bytes = FPos;
        FPos += count;
        return bytes;
    }

private:
    const uchar* FPos;
    const uchar* FEnd;
};

struct TGraphicControl {
    int TransparentIndex = -1;
    int DelayTime = 0;
};

// A table of 2^(sizeBits + 1) red, green, blue triples.
QList<QRgb> ReadColourTable(TByteCursor& cursor, int sizeBits) {
    const int count = 2 << sizeBits;
    const uchar* rgb = cursor.Take(qsizetype(count) * 3);
    QList<QRgb> table(count);
    for (int i = 0; i < count; ++i, rgb += 3)
        table[i] = qRgb(rgb[0], rgb[1], rgb[2]);
    return table;
}

// Reads the sub-blocks up to their zero terminator, appending their bytes to dest when given.
void ReadSubBlocks(TByteCursor& cursor, QByteArray* dest) {
    for (int size = cursor.Byte(); size != 0; size = cursor.Byte()) {
        const uchar* bytes = cursor.Take(size);
        if (dest)
            dest->append(reinterpret_cast<const char*>(bytes), size);
    }
}

// Fields come from the first sub-block when it is long enough; the rest is skipped.
TGraphicControl ReadGraphicControl(TByteCursor& cursor) {
    TGraphicControl control;
    const int size = cursor.Byte();
    if (size == 0)
        return control;
    const uchar* block = cursor.Take(size);
    if (size >= 4) {
        control.DelayTime = block[1] | (block[2] << 8);
        if (block[0] & 0x01)
            control.TransparentIndex = block[3];
    }
    ReadSubBlocks(cursor, nullptr);
    return control;
}

void ReadExtension(TByteCursor& cursor, TGraphicControl& pending) {
    const uchar label = cursor.Byte();
    switch (label) {
    case GraphicControlLabel:
        pending = ReadGraphicControl(cursor);
        break;
    case PlainTextLabel:
    case ApplicationLabel:
    case CommentLabel:
        ReadSubBlocks(cursor, nullptr);
        break;
    default:
        RaiseGif(
            QStringLiteral("Unrecognized extension block: %1")
                .arg(QString::number(label, 16).rightJustified(2, QLatin1Char('0')).toUpper()));
    }
}

TGifFrameData ReadImage(TByteCursor& cursor, const QList<QRgb>& globalTable,
                        const TGraphicControl& control) {
    TGifFrameData frame;
    frame.Left = cursor.Word();
    frame.Top = cursor.Word();
    frame.Width = cursor.Word();
    frame.Height = cursor.Word();
    const uchar packed = cursor.Byte();
    if (qint64(frame.Width) * frame.Height > MaxPicturePixels)
        RaiseGif(QStringLiteral("GIF image is not valid"));
    frame.Interlaced = packed & 0x40;
    frame.ColourTable = packed & 0x80 ? ReadColourTable(cursor, packed & 0x07) : globalTable;
    frame.TransparentIndex = control.TransparentIndex;
    frame.DelayTime = control.DelayTime;
    frame.CodeSize = cursor.Byte();
    if (frame.CodeSize < MinCodeSize || frame.CodeSize > MaxCodeSize)
        RaiseGif(QStringLiteral("GIF code size not in range 2 to 9"));
    ReadSubBlocks(cursor, &frame.Data);
    return frame;
}

QList<QRgb> GreyRamp(int codeSize) {
    const int count = 1 << qMin(codeSize, 8);
    QList<QRgb> table(count);
    for (int i = 0; i < count; ++i) {
        const int level = i * 255 / (count - 1);
        table[i] = qRgb(level, level, level);
    }
    return table;
}

// Stored row n of an interlaced frame is image row rows[n]: every 8th row from 0, every 8th
// from 4, every 4th from 2, then every 2nd from 1.
std::vector<int> InterlacedRows(int height) {
    static constexpr int Passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    std::vector<int> rows;
    rows.reserve(size_t(height));
    for (const auto& pass : Passes)
        for (int row = pass[0]; row < height; row += pass[1])
            rows.push_back(row);
    return rows;
}

void PlaceRows(const uchar* pixels, bool interlaced, QImage& image) {
    const int width = image.width();
    const std::vector<int> rows = interlaced ? InterlacedRows(image.height()) : std::vector<int>();
    for (int n = 0; n < image.height(); ++n)
        std::memcpy(image.scanLine(interlaced ? rows[size_t(n)] : n), pixels + qsizetype(n) * width,
                    size_t(width));
}

// The frame's colour table (a grey ramp when it has none) padded with black to the power of two
// that bitsPerPixel, 1, 4 or 8, is set to.
QList<QRgb> PaddedColourTable(const TGifFrameData& frame, int& bitsPerPixel) {
    QList<QRgb> table = frame.ColourTable.isEmpty() ? GreyRamp(frame.CodeSize) : frame.ColourTable;
    bitsPerPixel = table.size() <= 2 ? 1 : table.size() <= 16 ? 4 : 8;
    table.resize(qsizetype(1) << bitsPerPixel, qRgb(0, 0, 0));
    return table;
}

} // namespace

TGifFile ReadGif(const QByteArray& data) {
    TByteCursor cursor(data);
    const uchar* header = cursor.Take(6);
    if (std::memcmp(header, "GIF87a", 6) != 0 && std::memcmp(header, "GIF89a", 6) != 0)
        RaiseGif(QStringLiteral("Unknown GIF version"));

    TGifFile file;
    file.ScreenWidth = cursor.Word();
    file.ScreenHeight = cursor.Word();
    const uchar packed = cursor.Byte();
    cursor.Take(2); // background colour index and aspect ratio
    const QList<QRgb> globalTable =
        packed & 0x80 ? ReadColourTable(cursor, packed & 0x07) : QList<QRgb>();

    TGraphicControl pending;
    while (!cursor.AtEnd()) {
        const uchar introducer = cursor.Byte();
        if (introducer == Trailer)
            break;
        if (introducer == ExtensionIntroducer) {
            ReadExtension(cursor, pending);
        } else if (introducer == ImageSeparator) {
            file.Frames.append(ReadImage(cursor, globalTable, pending));
            pending = TGraphicControl();
        } else {
            RaiseGif(QStringLiteral("GIF image is not valid"));
        }
    }
    return file;
}

TDib DecodeGifFrame(const TGifFrameData& frame) {
    TDib dib;
    const QList<QRgb> table = PaddedColourTable(frame, dib.BitsPerPixel);
    if (frame.Width == 0 || frame.Height == 0)
        return dib;

    dib.Image = QImage(frame.Width, frame.Height, QImage::Format_Indexed8);
    if (dib.Image.isNull())
        RaiseGif(QStringLiteral("GIF image is not valid"));
    dib.Image.setColorTable(table);
    const qsizetype count = qsizetype(frame.Width) * frame.Height;
    std::vector<uchar> pixels(size_t(count), 0);
    DecodeGifLzw(reinterpret_cast<const uchar*>(frame.Data.constData()), frame.Data.size(),
                 frame.CodeSize, int(table.size()), pixels.data(), count);
    PlaceRows(pixels.data(), frame.Interlaced, dib.Image);
    return dib;
}

QImage DecodeGifFrameThumbnail(const TGifFrameData& frame, const QSize& target) {
    int bitsPerPixel = 0;
    const QList<QRgb> table = PaddedColourTable(frame, bitsPerPixel);
    TThumbnailSampler sampler(QSize(frame.Width, frame.Height), target, QImage::Format_Indexed8);
    if (sampler.Image().isNull())
        RaiseGif(QStringLiteral("GIF image is not valid"));
    sampler.Image().setColorTable(table);
    TGifLzwDecoder decoder(reinterpret_cast<const uchar*>(frame.Data.constData()),
                           frame.Data.size(), frame.CodeSize, int(table.size()));
    const std::vector<int> rows =
        frame.Interlaced ? InterlacedRows(frame.Height) : std::vector<int>();
    std::vector<uchar> row(size_t(frame.Width));
    for (int n = 0; n < frame.Height; ++n) {
        const qsizetype got = decoder.Read(row.data(), frame.Width);
        if (got == 0)
            break;
        std::fill(row.begin() + got, row.end(), uchar(0));
        sampler.AddRow(frame.Interlaced ? rows[size_t(n)] : n, row.data());
        if (got < frame.Width)
            break;
    }
    return sampler.Image();
}

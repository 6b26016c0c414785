// TJvGIFImage, its reader and its LZW decoder, on GIF files made by the test writer.
#include "Gif.h"
#include "Bitmap.h"
#include "GifLzw.h"
#include "GifSamples.h"
#include "Jpeg.h"
#include "SampleFiles.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QList<QRgb> FourColours = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                                 qRgb(255, 255, 255)};

TGifSampleFrame Frame(int width, int height, const QByteArray& indexes) {
    TGifSampleFrame frame;
    frame.Width = width;
    frame.Height = height;
    frame.Indexes = indexes;
    return frame;
}

// The first indexes of a 0, 1, 2, 3, 0, 1 ... pattern.
QByteArray Cycle(int count, int period = 4) {
    QByteArray indexes;
    for (int i = 0; i < count; ++i)
        indexes.append(char(i % period));
    return indexes;
}

QByteArray OneFrameGif(const TGifSampleFrame& frame, const QByteArray& version = "89a") {
    TGifSampleWriter writer(frame.Width, frame.Height, FourColours, version);
    writer.AddFrame(frame);
    return writer.Bytes();
}

// The message and class of what action raises, or "no error".
QString Failure(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& error) {
        return error.ClassName() + QStringLiteral(": ") + error.Message();
    }
    return QStringLiteral("no error");
}

QByteArray Decode(const QByteArray& lzw, int codeSize, qsizetype pixelCount,
                  int colourCount = 256) {
    QByteArray out(pixelCount, char(0x77));
    DecodeGifLzw(reinterpret_cast<const uchar*>(lzw.constData()), lzw.size(), codeSize, colourCount,
                 reinterpret_cast<uchar*>(out.data()), pixelCount);
    return out;
}

} // namespace

TEST(GifLzwTest, DecodesAHandAssembledStreamWithACodeDefinedByItsOwnUse) {
    // Codes clear 4, 1, 6, 6 (6 first appears before the table holds it), end 5; the end code
    // is read with 4 bits because the table reached 8 entries.
    const QByteArray lzw("\x8C\x5D", 2);
    EXPECT_EQ(Decode(lzw, 2, 5), QByteArray(5, char(1)));
}

TEST(GifLzwTest, RoundTripsAcrossFullTablesClearedOrFrozen) {
    QByteArray noise(200000, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (char& index : noise)
        index = char(random.bounded(random.bounded(2) ? 4 : 256));
    for (bool freeze : {false, true}) {
        for (int codeSize : {8, 9}) {
            const QByteArray lzw = EncodeGifLzw(noise, codeSize, freeze);
            EXPECT_EQ(Decode(lzw, codeSize, noise.size()), noise)
                << "freeze " << freeze << " size " << codeSize;
        }
    }
    const QByteArray twoColours = Cycle(50000, 2);
    EXPECT_EQ(Decode(EncodeGifLzw(twoColours, 2), 2, twoColours.size()), twoColours);
}

TEST(GifLzwTest, PiecesOfAnySizeJoinIntoTheWholeExpansion) {
    QByteArray noise(30000, Qt::Uninitialized);
    QRandomGenerator random(11);
    for (char& index : noise)
        index = char(random.bounded(random.bounded(2) ? 2 : 16));
    const QByteArray lzw = EncodeGifLzw(noise, 4);
    // 1: every string is cut; 4096: the longest string; more than the data holds: the tail.
    for (const qsizetype piece : {1, 3, 255, 4096, 40000}) {
        TGifLzwDecoder decoder(reinterpret_cast<const uchar*>(lzw.constData()), lzw.size(), 4, 16);
        QByteArray joined;
        QByteArray buffer(piece, char(0));
        for (qsizetype got; (got = decoder.Read(reinterpret_cast<uchar*>(buffer.data()), piece));)
            joined += buffer.left(got);
        EXPECT_EQ(joined, noise) << "pieces of " << piece;
        EXPECT_EQ(decoder.Read(reinterpret_cast<uchar*>(buffer.data()), piece), 0);
    }
}

TEST(GifLzwTest, StopsAtTheEndOfOutputOrDataAndKeepsWhatItHas) {
    const QByteArray indexes = Cycle(100);
    const QByteArray lzw = EncodeGifLzw(indexes, 2);
    EXPECT_EQ(Decode(lzw, 2, 60), indexes.left(60));
    const QByteArray partial = Decode(lzw.left(lzw.size() / 2), 2, 100);
    EXPECT_EQ(partial.left(20), indexes.left(20));
    EXPECT_EQ(partial.right(10), QByteArray(10, char(0x77)));
}

TEST(GifLzwTest, LiteralsOutsideTheColourTableBecomeZero) {
    EXPECT_EQ(Decode(EncodeGifLzw(QByteArray("\x01\x03\x02\x03", 4), 2), 2, 4, 2),
              QByteArray("\x01\x00\x00\x00", 4));
}

TEST(GifLzwTest, CodesTheTableDoesNotHoldAreCorrupt) {
    const QString corrupt = QStringLiteral("EInvalidGraphicOperation: GIF encoded data is corrupt");
    // clear 4, then 7 (above the next free code 6)
    EXPECT_EQ(Failure([] { Decode(QByteArray("\x3C", 1), 2, 8); }), corrupt);
    // clear 4, then 6 right after the clear: nothing before it to extend
    EXPECT_EQ(Failure([] { Decode(QByteArray("\x34", 1), 2, 8); }), corrupt);
}

TEST(GifImageTest, AcceptsBothVersionsAndReportsTheFirstFramesOwnSize) {
    for (const QByteArray version : {"87a", "89a"}) {
        TGifSampleWriter writer(20, 10, FourColours, version);
        TGifSampleFrame first = Frame(5, 3, Cycle(15));
        first.Left = 4;
        first.Top = 2;
        writer.AddFrame(first);
        writer.AddFrame(Frame(20, 10, Cycle(200)));
        TJvGIFImage gif;
        gif.LoadFromBytes(writer.Bytes());
        EXPECT_EQ(gif.Width(), 5) << version.constData();
        EXPECT_EQ(gif.Height(), 3);
        EXPECT_EQ(gif.Count(), 2);
        EXPECT_EQ(gif.Frames(0).Left(), 4);
        EXPECT_EQ(gif.Frames(0).Top(), 2);
    }
}

TEST(GifImageTest, RefusesOtherSignaturesAndVersions) {
    const QString unknown = QStringLiteral("EInvalidGraphicOperation: Unknown GIF version");
    TJvGIFImage gif;
    EXPECT_EQ(Failure([&] { gif.LoadFromBytes(OneFrameGif(Frame(2, 2, Cycle(4)), "88a")); }),
              unknown);
    QByteArray notGif = OneFrameGif(Frame(2, 2, Cycle(4)));
    notGif[0] = 'J';
    EXPECT_EQ(Failure([&] { gif.LoadFromBytes(notGif); }), unknown);
}

TEST(GifImageTest, ReadsTheFourKnownExtensionsAndRefusesAnyOther) {
    TGifSampleWriter writer(2, 2, FourColours);
    writer.AddExtension(0xFF, "NETSCAPE2.0");
    writer.AddExtension(0xFE, "made by a test");
    writer.AddExtension(0x01, QByteArray(12, char(0)));
    writer.AddFrame(Frame(2, 2, Cycle(4)));
    TJvGIFImage gif;
    gif.LoadFromBytes(writer.Bytes());
    EXPECT_EQ(gif.Count(), 1);

    for (uchar label : {0x02, 0xAB}) {
        TGifSampleWriter bad(2, 2, FourColours);
        bad.AddExtension(label, "x");
        bad.AddFrame(Frame(2, 2, Cycle(4)));
        const QString expected = label == 0x02 ? QStringLiteral("Unrecognized extension block: 02")
                                               : QStringLiteral("Unrecognized extension block: AB");
        EXPECT_EQ(Failure([&] { gif.LoadFromBytes(bad.Bytes()); }),
                  QStringLiteral("EInvalidGraphicOperation: ") + expected);
    }
    EXPECT_EQ(gif.Count(), 1);
}

TEST(GifImageTest, CodeSizeMustLieBetweenTwoAndNine) {
    for (int codeSize : {1, 2, 9, 10, 0, 255}) {
        TGifSampleFrame frame = Frame(4, 1, Cycle(4));
        frame.CodeSize = codeSize;
        TGifSampleWriter writer(4, 1, FourColours);
        const bool inRange = codeSize >= 2 && codeSize <= 9;
        writer.AddRawFrame(frame, GifSubBlocks(inRange ? EncodeGifLzw(frame.Indexes, codeSize)
                                                       : QByteArray("\x00", 1)));
        TJvGIFImage gif;
        const QString failure = Failure([&] { gif.LoadFromBytes(writer.Bytes()); });
        if (inRange) {
            EXPECT_EQ(failure, QStringLiteral("no error")) << codeSize;
            EXPECT_EQ(gif.Frames(0).Bitmap().Image.pixelIndex(3, 0), 3);
        } else {
            EXPECT_EQ(failure,
                      QStringLiteral("EInvalidGraphicOperation: GIF code size not in range 2 to 9"))
                << codeSize;
        }
    }
}

TEST(GifImageTest, TruncatedFileIsAStreamReadErrorAndAStrayByteIsInvalid) {
    const QByteArray gif = OneFrameGif(Frame(16, 16, Cycle(256)));
    const QString readError = QStringLiteral("EReadError: Stream read error");
    // inside the header, the screen, the global table, the image descriptor, the data
    for (qsizetype length : {qsizetype(0), qsizetype(4), qsizetype(10), qsizetype(20),
                             qsizetype(30), qsizetype(40), gif.size() - 3}) {
        TJvGIFImage image;
        EXPECT_EQ(Failure([&] { image.LoadFromBytes(gif.left(length)); }), readError) << length;
    }
    TJvGIFImage withoutTrailer;
    withoutTrailer.LoadFromBytes(gif.left(gif.size() - 1));
    EXPECT_EQ(withoutTrailer.Width(), 16);
    // a byte that starts no block where the trailer should be
    EXPECT_EQ(Failure([&] { withoutTrailer.LoadFromBytes(gif.left(gif.size() - 1) + char(0x00)); }),
              QStringLiteral("EInvalidGraphicOperation: GIF image is not valid"));
}

TEST(GifImageTest, InterlacedRowsComeBackInPlace) {
    // Row y holds index y % 4 in colour y / 4, so every row differs from its neighbours.
    QByteArray indexes;
    for (int y = 0; y < 13; ++y)
        indexes.append(QByteArray(3, char(y)));
    TGifSampleFrame frame = Frame(3, 13, indexes);
    frame.Interlaced = true;
    QList<QRgb> sixteen;
    for (int i = 0; i < 16; ++i)
        sixteen.append(qRgb(i * 16, 0, 0));
    frame.LocalTable = sixteen;
    TGifSampleWriter writer(3, 13);
    writer.AddFrame(frame);
    TJvGIFImage gif;
    gif.LoadFromBytes(writer.Bytes());
    const QImage& image = gif.Frames(0).Bitmap().Image;
    EXPECT_TRUE(gif.Frames(0).Interlaced());
    for (int y = 0; y < 13; ++y)
        EXPECT_EQ(image.pixelIndex(1, y), y) << "row " << y;
}

TEST(GifImageTest, OtherFramesDecodeOnlyWhenAskedFor) {
    TGifSampleWriter writer(4, 4, FourColours);
    writer.AddFrame(Frame(4, 4, Cycle(16)));
    TGifSampleFrame second = Frame(4, 4, {});
    second.CodeSize = 2;
    writer.AddRawFrame(second, GifSubBlocks(QByteArray("\x3C", 1)));
    TJvGIFImage gif;
    gif.LoadFromBytes(writer.Bytes());
    ASSERT_EQ(gif.Count(), 2);
    EXPECT_EQ(Failure([&] { gif.Frames(1).Bitmap(); }),
              QStringLiteral("EInvalidGraphicOperation: GIF encoded data is corrupt"));

    TGifSampleWriter firstBad(4, 4, FourColours);
    firstBad.AddRawFrame(second, GifSubBlocks(QByteArray("\x3C", 1)));
    EXPECT_EQ(Failure([&] { gif.LoadFromBytes(firstBad.Bytes()); }),
              QStringLiteral("EInvalidGraphicOperation: GIF encoded data is corrupt"));
    EXPECT_EQ(gif.Count(), 2);
}

TEST(GifImageTest, ConvertsTheCurrentFrameAtItsOwnSizeAndDepth) {
    const QList<QRgb> two = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    QList<QRgb> many;
    for (int i = 0; i < 32; ++i)
        many.append(qRgb(i, i, 255));
    struct Case {
        QList<QRgb> Table;
        int Bits;
    };
    for (const Case& test : {Case{two, 1}, Case{FourColours, 4}, Case{many, 8}}) {
        TGifSampleFrame frame = Frame(3, 2, Cycle(6, 2));
        frame.LocalTable = test.Table;
        TGifSampleWriter writer(10, 10);
        writer.AddFrame(frame);
        TJvGIFImage gif;
        gif.LoadFromBytes(writer.Bytes());
        TBitmap bitmap;
        gif.AssignTo(bitmap);
        EXPECT_EQ(bitmap.BitsPerPixel(), test.Bits);
        EXPECT_EQ(bitmap.Width(), 3);
        EXPECT_EQ(bitmap.Height(), 2);
        EXPECT_EQ(bitmap.Dib().Image.colorCount(), 1 << test.Bits);
        EXPECT_EQ(bitmap.Dib().Image.pixel(1, 0), test.Table[1]);
        EXPECT_FALSE(bitmap.Transparent());
    }
}

TEST(GifImageTest, TransparencyBelongsToTheFrameAfterItsControlBlock) {
    TGifSampleWriter writer(2, 2, FourColours);
    TGifSampleFrame first = Frame(2, 2, QByteArray("\x00\x02\x02\x01", 4));
    first.TransparentIndex = 2;
    writer.AddFrame(first);
    writer.AddFrame(Frame(2, 2, QByteArray("\x02\x02\x02\x02", 4)));
    TJvGIFImage gif;
    gif.LoadFromBytes(writer.Bytes());
    EXPECT_EQ(gif.Frames(0).TransparentIndex(), 2);
    EXPECT_EQ(gif.Frames(1).TransparentIndex(), -1);

    TBitmap bitmap;
    gif.AssignTo(bitmap);
    EXPECT_TRUE(bitmap.Transparent());
    EXPECT_EQ(bitmap.TransparentColor(), QColor(0, 0, 255));

    gif.SetFrameIndex(1);
    gif.AssignTo(bitmap);
    EXPECT_FALSE(bitmap.Transparent());
}

TEST(GifImageTest, DrawShowsTransparentPixelsInTheirColourUnlessTheSwitchIsOn) {
    TGifSampleFrame frame = Frame(2, 2, QByteArray("\x00\x02\x03\x01", 4));
    frame.TransparentIndex = 2;
    TGifSampleWriter writer(2, 2, FourColours);
    writer.AddFrame(frame);
    TJvGIFImage gif;
    gif.LoadFromBytes(writer.Bytes());

    const QImage canvas = DrawnInto(gif, QSize(6, 4), QRect(2, 0, 4, 4), qRgb(9, 9, 9));
    EXPECT_EQ(canvas.pixel(2, 0), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(3, 1), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(5, 0), qRgb(0, 0, 255));
    EXPECT_EQ(canvas.pixel(2, 3), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(5, 3), qRgb(0, 255, 0));
    EXPECT_EQ(canvas.pixel(1, 0), qRgb(9, 9, 9));

    gif.SetTransparent(true);
    const QImage transparent = DrawnInto(gif, QSize(6, 4), QRect(0, 0, 2, 2), qRgb(9, 9, 9));
    EXPECT_EQ(transparent.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(transparent.pixel(1, 0), qRgb(9, 9, 9));
}

TEST(GifImageTest, FileWithoutFramesIsEmptyAndConvertsToAnEmptyBitmap) {
    TJvGIFImage gif;
    gif.LoadFromBytes(TGifSampleWriter(8, 8, FourColours).Bytes());
    EXPECT_TRUE(gif.Empty());
    EXPECT_EQ(gif.Width(), 0);
    TBitmap bitmap;
    bitmap.AssignFromDib(TDib{QImage(3, 3, QImage::Format_RGB32), 24});
    gif.AssignTo(bitmap);
    EXPECT_TRUE(bitmap.Empty());
}

TEST(GifImageTest, FrameSizeIsBoundedBeforeAnythingIsAllocated) {
    TGifSampleWriter atBound(1, 1, FourColours);
    TGifSampleFrame frame = Frame(16384, 16384, {});
    frame.CodeSize = 2;
    atBound.AddRawFrame(frame, GifSubBlocks(QByteArray("\x04", 1)));
    EXPECT_EQ(ReadGif(atBound.Bytes()).Frames.first().Width, 16384);

    TGifSampleWriter above(1, 1, FourColours);
    frame.Width = 16385;
    above.AddRawFrame(frame, GifSubBlocks(QByteArray("\x04", 1)));
    TJvGIFImage gif;
    EXPECT_EQ(Failure([&] { gif.LoadFromBytes(above.Bytes()); }),
              QStringLiteral("EInvalidGraphicOperation: GIF image is not valid"));
}

TEST(GifImageTest, FrameWithoutColourTableUsesAGreyRamp) {
    TGifSampleWriter writer(4, 1);
    writer.AddFrame(Frame(4, 1, Cycle(4)));
    TJvGIFImage gif;
    gif.LoadFromBytes(writer.Bytes());
    const QImage& image = gif.Frames(0).Bitmap().Image;
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(3, 0), qRgb(255, 255, 255));
}

TEST(GifImageTest, AssignSharesFramesAndRefusesOtherClasses) {
    TGifSampleWriter writer(3, 2, FourColours);
    writer.AddFrame(Frame(3, 2, Cycle(6)));
    writer.AddFrame(Frame(1, 1, Cycle(1)));
    TJvGIFImage source;
    source.LoadFromBytes(writer.Bytes());
    source.SetFrameIndex(1);
    TJvGIFImage copy;
    copy.Assign(source);
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.FrameIndex(), 1);
    EXPECT_EQ(&copy.Frames(0).Bitmap().Image.constBits()[0],
              &source.Frames(0).Bitmap().Image.constBits()[0]);

    TJPEGImage jpeg;
    EXPECT_EQ(Failure([&] { copy.Assign(jpeg); }),
              QStringLiteral("EConvertError: Cannot assign a TJPEGImage to a TJvGIFImage"));
    EXPECT_EQ(Failure([&] { jpeg.Assign(copy); }),
              QStringLiteral("EConvertError: Cannot assign a TJvGIFImage to a TJPEGImage"));
    EXPECT_EQ(copy.Count(), 2);
}

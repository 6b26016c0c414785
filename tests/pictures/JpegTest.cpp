// TJPEGImage and its libjpeg decoder, on JPEG files made by libjpeg's own compressor.
#include "Jpeg.h"
#include "Bitmap.h"
#include "JpegSamples.h"

#include "SampleFiles.h"
#include <QSet>

#include <QDir>
#include <QPainter>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// Quadrants red, green, blue and white, each 16 x 16 (whole blocks, so they stay clean).
QImage Quadrants() {
    QImage image(32, 32, QImage::Format_RGB32);
    const QRgb colours[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                             qRgb(255, 255, 255)};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            image.setPixel(x, y, colours[(y / 16) * 2 + x / 16]);
    return image;
}

QImage GreyRamp(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y, qRgb(x * 255 / (width - 1), x * 255 / (width - 1), x * 255 / (width - 1)));
    return image;
}

void ExpectNear(QRgb actual, QRgb expected, int tolerance = 12) {
    EXPECT_NEAR(qRed(actual), qRed(expected), tolerance);
    EXPECT_NEAR(qGreen(actual), qGreen(expected), tolerance);
    EXPECT_NEAR(qBlue(actual), qBlue(expected), tolerance);
}

QString JpegErrorText(int code) {
    return QStringLiteral("JPEG error #%1").arg(code);
}

class JpegImageTest : public ::testing::Test {
protected:
    void TearDown() override { TJPEGImage::SetEightBitDisplay(false); }
};

} // namespace

TEST_F(JpegImageTest, LoadReadsTheSizeFromTheFileHeader) {
    QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("photo.jpg"));
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(MakeJpeg(QImage(37, 23, QImage::Format_RGB32)));
    file.close();

    TJPEGImage jpeg;
    EXPECT_TRUE(jpeg.Empty());
    jpeg.LoadFromFile(fileName);
    EXPECT_EQ(jpeg.Width(), 37);
    EXPECT_EQ(jpeg.Height(), 23);
    EXPECT_FALSE(jpeg.Empty());
}

TEST_F(JpegImageTest, ColourFileConvertsToTwentyFourBitsAtFullSize) {
    for (TJpegSampleKind kind : {TJpegSampleKind::Colour, TJpegSampleKind::Progressive}) {
        TJPEGImage jpeg;
        jpeg.LoadFromBytes(MakeJpeg(Quadrants(), kind));
        TBitmap bitmap;
        jpeg.AssignTo(bitmap);
        ASSERT_EQ(bitmap.Width(), 32);
        ASSERT_EQ(bitmap.Height(), 32);
        EXPECT_EQ(bitmap.BitsPerPixel(), 24);
        const QImage& image = bitmap.Dib().Image;
        ExpectNear(image.pixel(4, 4), qRgb(255, 0, 0));
        ExpectNear(image.pixel(27, 4), qRgb(0, 255, 0));
        ExpectNear(image.pixel(4, 27), qRgb(0, 0, 255));
        ExpectNear(image.pixel(27, 27), qRgb(255, 255, 255));
    }
}

TEST_F(JpegImageTest, GrayscaleFileGivesEightBitsOfAtMost236Colours) {
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(MakeJpeg(GreyRamp(256, 16), TJpegSampleKind::Grayscale));
    TBitmap bitmap;
    jpeg.AssignTo(bitmap);
    EXPECT_EQ(bitmap.BitsPerPixel(), 8);
    const QImage& image = bitmap.Dib().Image;
    ASSERT_EQ(image.format(), QImage::Format_Indexed8);
    // Quantised in grey: all 236 entries are neutral greys from black to white, so a ramp keeps
    // far more than the 64 tinted levels that colour quantisation left.
    EXPECT_EQ(image.colorCount(), 236);
    QSet<QRgb> greys;
    for (QRgb colour : image.colorTable()) {
        EXPECT_TRUE(qRed(colour) == qGreen(colour) && qGreen(colour) == qBlue(colour))
            << std::hex << colour;
        greys.insert(colour);
    }
    EXPECT_EQ(greys.size(), 236);
    EXPECT_TRUE(greys.contains(qRgb(0, 0, 0)) && greys.contains(qRgb(255, 255, 255)));
    const QRgb black = image.pixel(0, 0);
    EXPECT_TRUE(qRed(black) == qGreen(black) && qRed(black) <= 3) << std::hex << black;
    // Dithering moves single pixels; the average of a column stays the grey it was.
    for (int x : {0, 128, 255}) {
        int sum = 0;
        for (int y = 0; y < image.height(); ++y)
            sum += qGray(image.pixel(x, y));
        EXPECT_NEAR(sum / image.height(), x, 10) << "column " << x;
    }
}

TEST_F(JpegImageTest, EightBitDisplayQuantisesColourFilesToo) {
    TJPEGImage::SetEightBitDisplay(true);
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(MakeJpeg(Quadrants()));
    const TDib& dib = jpeg.Bitmap();
    EXPECT_EQ(dib.BitsPerPixel, 8);
    EXPECT_LE(dib.Image.colorCount(), 236);
    ExpectNear(dib.Image.pixel(4, 4), qRgb(255, 0, 0), 24);
    ExpectNear(dib.Image.pixel(4, 27), qRgb(0, 0, 255), 24);
}

TEST_F(JpegImageTest, CmykFileWithAdobeMarkerGivesInvertedInks) {
    // The compressor marks four-colour files with the Adobe marker: samples are stored inverted,
    // so C=255 M=0 Y=255 K=255 means no cyan, full magenta, no yellow, no black.
    QImage inks(16, 16, QImage::Format_ARGB32);
    inks.fill(qRgba(255, 0, 255, 255));
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(MakeJpeg(inks, TJpegSampleKind::Cmyk));
    const TDib& dib = jpeg.Bitmap();
    EXPECT_EQ(dib.BitsPerPixel, 24);
    ExpectNear(dib.Image.pixel(8, 8), qRgb(255, 0, 255));
}

TEST_F(JpegImageTest, DamagedImageDataLoadsAndFailsAtFirstDrawAndConvert) {
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(WithUndefinedQuantTable(MakeJpeg(Quadrants())));
    EXPECT_EQ(jpeg.Width(), 32);

    QImage canvas(8, 8, QImage::Format_RGB32);
    QPainter painter(&canvas);
    try {
        jpeg.Draw(painter, canvas.rect());
        FAIL() << "drawing damaged data succeeded";
    } catch (const EJPEG& error) {
        EXPECT_EQ(error.Message(), JpegErrorText(JERR_NO_QUANT_TABLE));
        EXPECT_EQ(error.ClassName(), QStringLiteral("EJPEG"));
    }
    painter.end();

    TBitmap bitmap;
    bitmap.AssignFromDib(TDib{QImage(3, 3, QImage::Format_RGB32), 24});
    EXPECT_THROW(jpeg.AssignTo(bitmap), EInvalidGraphic);
    EXPECT_EQ(bitmap.Width(), 3);
}

TEST_F(JpegImageTest, NonJpegFileFailsAtLoadAndKeepsThePreviousImage) {
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(MakeJpeg(QImage(5, 4, QImage::Format_RGB32)));
    struct Case {
        QByteArray Data;
        int Code;
    };
    for (const Case& test :
         {Case{"BM not a jpeg at all", JERR_NO_SOI}, Case{QByteArray(), JERR_INPUT_EMPTY}}) {
        try {
            jpeg.LoadFromBytes(test.Data);
            FAIL() << "loaded " << test.Data.constData();
        } catch (const EJPEG& error) {
            EXPECT_EQ(error.Message(), JpegErrorText(test.Code));
        }
    }
    EXPECT_EQ(jpeg.Width(), 5);
    EXPECT_EQ(jpeg.Bitmap().Image.height(), 4);
}

TEST_F(JpegImageTest, TruncatedImageDataDecodesWithoutError) {
    // Running out of data is only a warning for the library: the missing rows come out grey.
    const QByteArray jpeg = MakeJpeg(Quadrants());
    TJPEGImage image;
    image.LoadFromBytes(jpeg.left(FindJpegMarker(jpeg, 0xDA) + 20));
    EXPECT_EQ(image.Bitmap().Image.size(), QSize(32, 32));
    ExpectNear(image.Bitmap().Image.pixel(28, 28), qRgb(128, 128, 128), 20);
}

TEST_F(JpegImageTest, HeaderSizeIsBoundedBeforeAnythingIsDecoded) {
    const QByteArray jpeg = MakeJpeg(QImage(8, 8, QImage::Format_RGB32));
    EXPECT_EQ(ReadJpegSize(WithSize(jpeg, 16384, 16384)), QSize(16384, 16384));
    try {
        ReadJpegSize(WithSize(jpeg, 16385, 16384));
        FAIL() << "a header above the pixel bound was accepted";
    } catch (const EJPEG& error) {
        EXPECT_EQ(error.Message(),
                  QStringLiteral("JPEG image is too large (16385 x 16384 pixels)"));
    }
    TJPEGImage image;
    EXPECT_THROW(image.LoadFromBytes(WithSize(jpeg, 65000, 65000)), EJPEG);
    EXPECT_TRUE(image.Empty());
}

TEST_F(JpegImageTest, DrawStretchesByDroppingAndRepeatingPixels) {
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(MakeJpeg(Quadrants(), TJpegSampleKind::Colour, 100));
    const QImage canvas = DrawnInto(jpeg, QSize(6, 4), QRect(1, 0, 4, 4), qRgb(0, 0, 0));
    ExpectNear(canvas.pixel(1, 0), qRgb(255, 0, 0));
    ExpectNear(canvas.pixel(4, 0), qRgb(0, 255, 0));
    ExpectNear(canvas.pixel(1, 3), qRgb(0, 0, 255));
    ExpectNear(canvas.pixel(4, 3), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.pixel(5, 3), qRgb(0, 0, 0));
}

TEST_F(JpegImageTest, InputThatOnceLeakedTheDecompressorFailsCleanly) {
    // Found by fuzzing: the decompressor was not released when reading the header failed.
    const QString fileName = QDir::cleanPath(
        QStringLiteral(VELLORIA_TEST_DATA "/../../data/crash/jpeg_leak_when_open_fails.jpg"));
    ASSERT_TRUE(QFile::exists(fileName));
    TJPEGImage jpeg;
    try {
        jpeg.LoadFromFile(fileName);
        jpeg.Bitmap();
        FAIL() << "no error";
    } catch (const EJPEG& error) {
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("JPEG error #")))
            << qPrintable(error.Message());
    }
}

TEST_F(JpegImageTest, AssignSharesTheFileAndTheDecodedImage) {
    TJPEGImage source;
    source.LoadFromBytes(MakeJpeg(Quadrants()));
    const uchar* pixels = source.Bitmap().Image.constBits();
    TJPEGImage copy;
    copy.Assign(source);
    EXPECT_EQ(copy.Width(), 32);
    EXPECT_EQ(copy.Bitmap().Image.constBits(), pixels);
}

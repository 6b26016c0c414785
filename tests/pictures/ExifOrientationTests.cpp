// JPEG files with an Exif orientation are shown upright: the orientation read from the APP1
// segment (both byte orders, damaged blocks), and the picture turned for all eight values.
#include "Bitmap.h"
#include "ExifOrientation.h"
#include "Jpeg.h"
#include "JpegSamples.h"
#include "LibrarySamples.h"

#include <QBuffer>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255),
           White = qRgb(255, 255, 255);

void Put(QByteArray& bytes, quint32 value, int size, bool bigEndian) {
    for (int i = 0; i < size; ++i)
        bytes.append(char(value >> (8 * (bigEndian ? size - 1 - i : i))));
}

// The TIFF block of an Exif segment whose IFD0 holds one entry: tag, type and 16-bit value.
QByteArray Tiff(quint16 tag, quint16 type, quint16 value, bool bigEndian) {
    QByteArray tiff(bigEndian ? "MM" : "II");
    Put(tiff, 42, 2, bigEndian);
    Put(tiff, 8, 4, bigEndian);
    Put(tiff, 1, 2, bigEndian);
    Put(tiff, tag, 2, bigEndian);
    Put(tiff, type, 2, bigEndian);
    Put(tiff, 1, 4, bigEndian);
    Put(tiff, value, 2, bigEndian);
    Put(tiff, 0, 2, bigEndian);
    Put(tiff, 0, 4, bigEndian);
    return tiff;
}

QByteArray Segment(uchar marker, const QByteArray& body) {
    QByteArray segment("\xFF");
    segment.append(char(marker));
    Put(segment, quint32(body.size() + 2), 2, true);
    return segment + body;
}

QByteArray ExifSegment(const QByteArray& tiff) {
    return Segment(0xE1, QByteArray("Exif\0\0", 6) + tiff);
}

// jpeg with segment written right after its start marker, where cameras put it.
QByteArray WithSegment(QByteArray jpeg, const QByteArray& segment) {
    return jpeg.insert(2, segment);
}

QByteArray Oriented(const QByteArray& jpeg, int orientation) {
    return WithSegment(jpeg, ExifSegment(Tiff(0x0112, 3, quint16(orientation), false)));
}

void ExpectNear(const QList<QRgb>& actual, const QList<QRgb>& expected) {
    for (qsizetype i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(qRed(actual[i]), qRed(expected[i]), 40);
        EXPECT_NEAR(qGreen(actual[i]), qGreen(expected[i]), 40);
        EXPECT_NEAR(qBlue(actual[i]), qBlue(expected[i]), 40);
    }
}

} // namespace

TEST(ExifOrientation, ReadsTheTagInEitherByteOrderAndIgnoresWhatItCannotTrust) {
    const QByteArray jpeg = MakeJpeg(QuarterColours(32, 16));
    const QByteArray tiff = Tiff(0x0112, 3, 6, true);
    // A segment after the image data is not the picture's: the reader stops at the scan.
    const QByteArray afterScan = QByteArray(jpeg).insert(jpeg.size() - 2, ExifSegment(tiff));
    const struct {
        const char* Name;
        QByteArray File;
        int Orientation;
    } cases[] = {
        {"none", jpeg, 1},
        {"little-endian 8", Oriented(jpeg, 8), 8},
        {"big-endian 6", WithSegment(jpeg, ExifSegment(tiff)), 6},
        {"after another APP segment",
         WithSegment(jpeg, Segment(0xE0, "JFIF") + ExifSegment(Tiff(0x0112, 3, 3, false))), 3},
        {"value 0", Oriented(jpeg, 0), 1},
        {"value 9", Oriented(jpeg, 9), 1},
        {"a long instead of a short", WithSegment(jpeg, ExifSegment(Tiff(0x0112, 4, 6, false))), 1},
        {"another tag", WithSegment(jpeg, ExifSegment(Tiff(0x0110, 3, 6, false))), 1},
        {"IFD cut short", WithSegment(jpeg, ExifSegment(tiff.left(16))), 1},
        {"IFD offset past the block",
         WithSegment(jpeg, ExifSegment(QByteArray(tiff).replace(4, 4, "\x7F\xFF\xFF\xFF"))), 1},
        {"segment length past the file", Oriented(jpeg, 6).left(30), 1},
        {"no JPEG start", Oriented(jpeg, 6).mid(2), 1},
        {"not Exif",
         WithSegment(jpeg, Segment(0xE1, QByteArray("Exif\0\0", 6).replace(0, 1, "e") + tiff)), 1},
        {"after the image data", afterScan, 1},
        {"empty", QByteArray(), 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadExifOrientation(c.File), c.Orientation) << c.Name;
}

// The eight orientations of a 32 x 16 stored picture (red, green over blue, white), as a person
// should see them: size, converted bitmap and thumbnail.
TEST(JpegOrientation, EachOfTheEightIsShownUpright) {
    const QByteArray jpeg = MakeJpeg(QuarterColours(32, 16));
    const struct {
        int Orientation;
        QSize Size;
        QList<QRgb> Quadrants;
    } cases[] = {
        {1, {32, 16}, {Red, Green, Blue, White}}, {2, {32, 16}, {Green, Red, White, Blue}},
        {3, {32, 16}, {White, Blue, Green, Red}}, {4, {32, 16}, {Blue, White, Red, Green}},
        {5, {16, 32}, {Red, Blue, Green, White}}, {6, {16, 32}, {Blue, Red, White, Green}},
        {7, {16, 32}, {White, Green, Blue, Red}}, {8, {16, 32}, {Green, White, Red, Blue}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Orientation);
        const QByteArray file = Oriented(jpeg, c.Orientation);
        TJPEGImage image;
        image.LoadFromBytes(file);
        EXPECT_EQ(QSize(image.Width(), image.Height()), c.Size);
        TBitmap bitmap;
        image.AssignTo(bitmap);
        ASSERT_EQ(bitmap.Dib().Image.size(), c.Size);
        ExpectNear(ColoursOfQuarters(bitmap.Dib().Image), c.Quadrants);

        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadOnly);
        TJPEGImage cell;
        const TThumbnailImage thumbnail = cell.ReadThumbnail(buffer, {8, 8});
        EXPECT_EQ(thumbnail.PictureSize, c.Size);
        ASSERT_EQ(thumbnail.Image.size(), c.Size.scaled(8, 8, Qt::KeepAspectRatio));
        ExpectNear(ColoursOfQuarters(thumbnail.Image), c.Quadrants);
    }
}

TEST(JpegOrientation, GreyPicturesTurnWithTheirPalette) {
    const QByteArray file =
        Oriented(MakeJpeg(QuarterColours(32, 16), TJpegSampleKind::Grayscale), 6);
    TJPEGImage image;
    image.LoadFromBytes(file);
    TBitmap bitmap;
    image.AssignTo(bitmap);
    EXPECT_EQ(bitmap.BitsPerPixel(), 8);
    ASSERT_EQ(bitmap.Dib().Image.size(), QSize(16, 32));
    const QList<QRgb> grey = ColoursOfQuarters(bitmap.Dib().Image);
    // Stored blue (darkest) comes to the top left, stored white to the bottom left.
    EXPECT_LT(qGray(grey[0]), qGray(grey[1]));
    EXPECT_GT(qGray(grey[2]), qGray(grey[3]));
}

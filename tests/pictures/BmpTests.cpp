// The BMP reader: header variants, depths, compressions and row orders decode to the pixels the
// file holds; damaged files give "Bitmap image is not valid" and nothing else.
#include "BmpReader.h"
#include "Graphics.h"
#include "SampleFiles.h"

#include <gtest/gtest.h>

namespace {

const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255),
           White = qRgb(255, 255, 255);

QRgb Pixel(const TDib& dib, int x, int y) {
    return dib.Image.pixel(x, y);
}

// A 2 x 2, 24-bit pixel block: top row red, green; bottom row blue, white (stored bottom-up).
QByteArray Pixels24() {
    return QByteArray("\xFF\x00\x00"
                      "\xFF\xFF\xFF"
                      "\x00\x00",
                      8) +
           QByteArray("\x00\x00\xFF"
                      "\x00\xFF\x00"
                      "\x00\x00",
                      8);
}

void ExpectQuad(const TDib& dib) {
    ASSERT_EQ(dib.Image.size(), QSize(2, 2));
    EXPECT_EQ(Pixel(dib, 0, 0), Red);
    EXPECT_EQ(Pixel(dib, 1, 0), Green);
    EXPECT_EQ(Pixel(dib, 0, 1), Blue);
    EXPECT_EQ(Pixel(dib, 1, 1), White);
}

void ExpectInvalid(const QByteArray& data) {
    try {
        ReadBmp(data);
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Bitmap image is not valid"));
    }
}

} // namespace

class BmpHeaderVariant : public ::testing::TestWithParam<int> {};

TEST_P(BmpHeaderVariant, TwentyFourBitQuadDecodes) {
    const TDib dib = ReadBmp(BmpFile(InfoHeader(GetParam(), 2, 2, 24), Pixels24()));
    EXPECT_EQ(dib.BitsPerPixel, 24);
    ExpectQuad(dib);
}

INSTANTIATE_TEST_SUITE_P(AllInfoHeaders, BmpHeaderVariant,
                         ::testing::Values(40, 52, 56, 64, 108, 124));

TEST(BmpReader, CoreHeaderWithThreeBytePalette) {
    const QByteArray palette("\x00\x00\xFF"
                             "\x00\xFF\x00",
                             6); // red, green as B,G,R
    // 3 x 1 at 1 bit: pixels 0 1 0 -> bits 010 in the top of the first byte.
    const TDib dib =
        ReadBmp(BmpFile(CoreHeader(3, 1, 1) + palette, QByteArray("\x40\x00\x00\x00", 4)));
    ASSERT_EQ(dib.BitsPerPixel, 1);
    EXPECT_EQ(dib.Image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(Pixel(dib, 0, 0), Red);
    EXPECT_EQ(Pixel(dib, 1, 0), Green);
    EXPECT_EQ(Pixel(dib, 2, 0), Red);
}

TEST(BmpReader, FourBitRowsArePaddedAndBottomUp) {
    // 3 x 2, palette of 3 used colours; rows: top = 2 1 0, bottom = 0 0 2.
    const QByteArray header = InfoHeader(40, 3, 2, 4, 0, 3) + Palette({Red, Green, Blue});
    const QByteArray pixels("\x00\x20\x00\x00"
                            "\x21\x00\x00\x00",
                            8);
    const TDib dib = ReadBmp(BmpFile(header, pixels));
    EXPECT_EQ(dib.BitsPerPixel, 4);
    EXPECT_EQ(dib.Image.colorCount(), 16);
    EXPECT_EQ(Pixel(dib, 0, 0), Blue);
    EXPECT_EQ(Pixel(dib, 1, 0), Green);
    EXPECT_EQ(Pixel(dib, 2, 0), Red);
    EXPECT_EQ(Pixel(dib, 0, 1), Red);
    EXPECT_EQ(Pixel(dib, 2, 1), Blue);
}

TEST(BmpReader, EightBitTopDown) {
    const QByteArray header = InfoHeader(40, 2, -2, 8, 0, 2) + Palette({Red, Green});
    const TDib dib = ReadBmp(BmpFile(header, QByteArray("\x00\x01\x00\x00"
                                                        "\x01\x01\x00\x00",
                                                        8)));
    EXPECT_EQ(Pixel(dib, 0, 0), Red);
    EXPECT_EQ(Pixel(dib, 1, 0), Green);
    EXPECT_EQ(Pixel(dib, 0, 1), Green);
}

TEST(BmpReader, PaletteIndexBeyondUsedColoursIsBlackNotACrash) {
    const QByteArray header = InfoHeader(40, 1, 1, 8, 0, 1) + Palette({Red});
    const TDib dib = ReadBmp(BmpFile(header, QByteArray("\xC8\x00\x00\x00", 4)));
    EXPECT_EQ(Pixel(dib, 0, 0), qRgb(0, 0, 0));
}

TEST(BmpReader, SixteenBitDefaultsToFiveFiveFive) {
    // 0x7C00 red, 0x03E0 green; top bit ignored.
    const TDib dib = ReadBmp(BmpFile(InfoHeader(40, 2, 1, 16), QByteArray("\x00\xFC\xE0\x03", 4)));
    EXPECT_EQ(dib.BitsPerPixel, 16);
    EXPECT_EQ(Pixel(dib, 0, 0), Red);
    EXPECT_EQ(Pixel(dib, 1, 0), Green);
}

TEST(BmpReader, SixteenBitFieldsFiveSixFiveAfterInfoHeader) {
    const QByteArray header = InfoHeader(40, 2, 1, 16, 3) + U32(0xF800) + U32(0x07E0) + U32(0x001F);
    const TDib dib = ReadBmp(BmpFile(header, QByteArray("\xE0\x07\x1F\x00", 4)));
    EXPECT_EQ(Pixel(dib, 0, 0), Green);
    EXPECT_EQ(Pixel(dib, 1, 0), Blue);
}

TEST(BmpReader, ThirtyTwoBitRawIgnoresFourthByte) {
    const TDib dib = ReadBmp(BmpFile(InfoHeader(40, 1, 1, 32), QByteArray("\x00\x00\xFF\x00", 4)));
    EXPECT_EQ(dib.Image.format(), QImage::Format_RGB32);
    EXPECT_EQ(Pixel(dib, 0, 0), Red);
}

TEST(BmpReader, ThirtyTwoBitFieldsWithAlphaInV5Header) {
    const QByteArray header =
        InfoHeader(124, 2, 1, 32, 3, 0, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000});
    const TDib dib = ReadBmp(BmpFile(header, QByteArray("\x00\x00\xFF\x80"
                                                        "\xFF\x00\x00\x00",
                                                        8)));
    EXPECT_EQ(dib.Image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(dib.Image.pixel(0, 0), qRgba(255, 0, 0, 0x80));
    EXPECT_EQ(qAlpha(dib.Image.pixel(1, 0)), 0);
}

TEST(BmpReader, AlphaMaskWithAllZeroAlphaStaysOpaque) {
    const QByteArray header =
        InfoHeader(108, 1, 1, 32, 3, 0, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000});
    const TDib dib = ReadBmp(BmpFile(header, QByteArray("\xFF\x00\x00\x00", 4)));
    EXPECT_EQ(dib.Image.format(), QImage::Format_RGB32);
    EXPECT_EQ(Pixel(dib, 0, 0), Blue);
}

TEST(BmpReader, Rle8RunsLiteralsDeltaAndEndOfLine) {
    // 4 x 3, rows stored bottom-up. Bottom row: literal 1 2 3 (one pad byte), end of line.
    // Middle row: a run of 3 x index 1, then delta (0, 1) to the top row at column 3, a run
    // of 1 x index 2, end of bitmap. Pixels never written keep index 0.
    const QByteArray header = InfoHeader(40, 4, 3, 8, 1, 4) + Palette({White, Red, Green, Blue});
    const QByteArray rle("\x00\x03\x01\x02\x03\x00"
                         "\x00\x00"
                         "\x03\x01"
                         "\x00\x02\x00\x01"
                         "\x01\x02"
                         "\x00\x01",
                         18);
    const TDib dib = ReadBmp(BmpFile(header, rle));
    const QList<QList<QRgb>> expected{
        {White, White, White, Green}, {Red, Red, Red, White}, {Red, Green, Blue, White}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Pixel(dib, x, y), expected[y][x]) << x << "," << y;
}

TEST(BmpReader, Rle4AlternatesNibblesAndClipsRunsAtRowEnd) {
    // 3 x 1: a run of 5 pixels of 0x12 (1 2 1 2 1) clipped to 3, then a literal past the row.
    const QByteArray header = InfoHeader(40, 3, 1, 4, 2, 3) + Palette({White, Red, Green});
    const TDib dib = ReadBmp(BmpFile(header, QByteArray("\x05\x12"
                                                        "\x00\x03\x22\x20"
                                                        "\x00\x01",
                                                        8)));
    EXPECT_EQ(Pixel(dib, 0, 0), Red);
    EXPECT_EQ(Pixel(dib, 1, 0), Green);
    EXPECT_EQ(Pixel(dib, 2, 0), Red);
}

TEST(BmpReader, RleWithoutEndMarkerOrPastLastRowStops) {
    const QByteArray header = InfoHeader(40, 2, 1, 8, 1, 2) + Palette({White, Red});
    const TDib dib = ReadBmp(BmpFile(header, QByteArray("\x02\x01"
                                                        "\x00\x00"
                                                        "\x02\x01"
                                                        "\x00\x02\xFF\xFF"
                                                        "\x05",
                                                        11)));
    EXPECT_EQ(Pixel(dib, 1, 0), Red);
}

TEST(BmpReader, UncompressedPixelsMustAllBeThere) {
    const QByteArray header = InfoHeader(40, 2, 2, 24);
    EXPECT_NO_THROW(ReadBmp(BmpFile(header, Pixels24() + "extra")));
    ExpectInvalid(BmpFile(header, Pixels24().left(15)));
    // A short file cannot claim a huge picture.
    ExpectInvalid(BmpFile(InfoHeader(40, 16000, 16000, 8), QByteArray(64, '\0')));
}

TEST(BmpReader, EmptyDataIsAnEmptyBitmap) {
    EXPECT_TRUE(ReadBmp(QByteArray()).IsEmpty());
}

TEST(BmpReader, DamagedFilesAreNotValid) {
    const QByteArray good = BmpFile(InfoHeader(40, 2, 2, 24), Pixels24());
    ExpectInvalid(QByteArray("GIF89a"));
    ExpectInvalid(QByteArray("B"));
    ExpectInvalid(good.left(20)); // header cut short
    ExpectInvalid(BmpFile(InfoHeader(40, 2, 2, 24), {}).replace(14, 4, U32(41))); // unknown size
    ExpectInvalid(BmpFile(InfoHeader(40, 2, 2, 2), Pixels24()));                  // 2 bits
    ExpectInvalid(BmpFile(InfoHeader(40, 2, 2, 24, 1), Pixels24()));              // RLE8 at 24 bits
    ExpectInvalid(BmpFile(InfoHeader(40, 2, -2, 8, 1), Pixels24()));              // top-down RLE
    ExpectInvalid(BmpFile(InfoHeader(40, -2, 2, 24), Pixels24()));                // negative width
    ExpectInvalid(BmpFile(InfoHeader(40, 2, INT32_MIN, 24), Pixels24()));
    ExpectInvalid(BmpFile(InfoHeader(40, 2, 2, 24, 4), Pixels24())); // embedded JPEG
    ExpectInvalid(BmpFile(InfoHeader(64, 2, 2, 16, 3), Pixels24())); // OS/2 Huffman
    ExpectInvalid(BmpFile(InfoHeader(40, 2, 2, 16, 3), {}));         // masks missing
    QByteArray planes = good;
    planes[26] = 0;
    ExpectInvalid(planes);
    QByteArray offset = good;
    offset.replace(10, 4, U32(quint32(good.size() + 1)));
    ExpectInvalid(offset);
}

TEST(BmpReader, MoreThanTheLargestPictureIsRefusedBeforeAllocating) {
    ExpectInvalid(BmpFile(InfoHeader(40, 1 << 15, 1 << 14, 1), {})); // 2^29 pixels
    ExpectInvalid(BmpFile(InfoHeader(40, INT32_MAX, INT32_MAX, 24), {}));
    EXPECT_NO_THROW(ReadDibHeader(InfoHeader(40, 1 << 14, 1 << 14, 1), 0)); // exactly 2^28
}

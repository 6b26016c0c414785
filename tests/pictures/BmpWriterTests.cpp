// The BMP writer: every depth survives a write and read unchanged, and the headers hold the
// offsets and sizes other readers rely on.
#include "Bitmap.h"
#include "BmpReader.h"
#include "BmpWriter.h"
#include "LittleEndian.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A width-5 image (odd, so every depth pads its rows) of 3 rows.
TDib Sample(int bpp) {
    if (bpp <= 8) {
        QImage image(5, 3, QImage::Format_Indexed8);
        QVector<QRgb> table;
        for (int i = 0; i < (1 << bpp); ++i)
            table.append(qRgb(i * 7 % 256, 255 - i, i * 3 % 256));
        image.setColorTable(table);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                image.setPixel(x, y, uint((x * 3 + y * 5) % (1 << bpp)));
        return TDib{image, bpp};
    }
    QImage image(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            image.setPixel(x, y, qRgb(x * 50, y * 100, (x + y) * 30));
    return TDib{image, bpp};
}

} // namespace

class BmpWriterDepth : public ::testing::TestWithParam<int> {};

TEST_P(BmpWriterDepth, RoundTripKeepsDepthAndPixels) {
    const int bpp = GetParam();
    const TDib original = Sample(bpp);
    const TDib back = ReadBmp(WriteBmp(original));
    EXPECT_EQ(back.BitsPerPixel, bpp);
    ASSERT_EQ(back.Image.size(), original.Image.size());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const QRgb want = original.Image.pixel(x, y);
            const QRgb got = back.Image.pixel(x, y);
            if (bpp == 16) // five bits per channel
                EXPECT_EQ(qRed(got) >> 3, qRed(want) >> 3) << x << "," << y;
            else
                EXPECT_EQ(got, want) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, BmpWriterDepth, ::testing::Values(1, 4, 8, 16, 24, 32));

TEST(BmpWriter, HeaderOffsetsSizesAndZeroPadding) {
    const QByteArray bytes = WriteBmp(Sample(24));
    const qint64 stride = 16; // 5 * 3 = 15 bytes, padded to 16
    EXPECT_TRUE(bytes.startsWith("BM"));
    EXPECT_EQ(PeekU32(bytes, 2), quint32(bytes.size()));
    EXPECT_EQ(PeekU32(bytes, 10), 54u);
    EXPECT_EQ(PeekU32(bytes, 14), 40u);
    EXPECT_EQ(PeekI32(bytes, 22), 3); // bottom-up
    EXPECT_EQ(PeekU32(bytes, 34), quint32(stride * 3));
    EXPECT_EQ(PeekU32(bytes, 46), 0u);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(bytes[54 + y * stride + 15], '\0');
    const QByteArray indexed = WriteBmp(Sample(8));
    EXPECT_EQ(PeekU32(indexed, 10), 54u + 4 * 256);
    EXPECT_EQ(PeekU32(indexed, 46), 256u);
}

TEST(BmpWriter, EmptyBitmapWritesAValidZeroSizeFile) {
    const QByteArray bytes = WriteBmp(TDib{});
    EXPECT_EQ(bytes.size(), 54);
    EXPECT_TRUE(ReadBmp(bytes).IsEmpty());
}

TEST(TBitmapSave, UnwritablePlaceRaisesEFCreateErrorAndLeavesNoFile) {
    QTemporaryDir dir;
    TBitmap bitmap;
    bitmap.AssignFromDib(Sample(24));
    const QString name = dir.filePath(QStringLiteral("no/such/folder/out.bmp"));
    try {
        bitmap.SaveToFile(name);
        ADD_FAILURE() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Cannot create file \"%1\". No such file or directory").arg(name));
    }
    EXPECT_FALSE(QFileInfo::exists(name));
    const QString good = dir.filePath(QStringLiteral("out.bmp"));
    bitmap.SaveToFile(good);
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), WriteBmp(bitmap.Dib()));
}

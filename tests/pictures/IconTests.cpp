// Icons: the file types accepted and refused, the entry the display would choose, masks and
// PNG entries, drawing through the mask, and the refusal to become a bitmap.
#include "Bitmap.h"
#include "IcoReader.h"
#include "Icon.h"
#include "SampleFiles.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255);

void ExpectInvalidIcon(const QByteArray& data) {
    TIcon icon;
    try {
        icon.LoadFromBytes(data);
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Icon image is not valid"));
    }
    EXPECT_TRUE(icon.Empty());
}

QList<QRgb> Palette16(QRgb first) {
    QList<QRgb> palette(16, qRgb(0, 0, 0));
    palette[1] = first;
    return palette;
}

} // namespace

TEST(IconTypes, TypeZeroGivesTheStandardApplicationIcon) {
    TIcon icon;
    icon.LoadFromBytes(U16(0) + U16(0) + U16(0));
    EXPECT_EQ(icon.Width(), 32);
    EXPECT_EQ(icon.Height(), 32);
    EXPECT_EQ(icon.Dib().Image, StandardApplicationIcon().Image);
    EXPECT_EQ(qAlpha(icon.Dib().Image.pixel(0, 0)), 0); // the corner is see-through
    EXPECT_EQ(icon.Dib().Image.pixel(15, 15), qRgb(255, 255, 255));
}

TEST(IconTypes, TypeOneLoadsAndTypeTwoIsRefused) {
    TIcon icon;
    icon.LoadFromBytes(SolidIcon(Red));
    EXPECT_EQ(icon.Width(), 32);
    EXPECT_EQ(icon.Dib().Image.pixel(5, 5), Red);
    ExpectInvalidIcon(IcoFile({{32, 32, 32, IconDib32(QImage(32, 32, QImage::Format_ARGB32))}}, 2));
    ExpectInvalidIcon(IcoFile({{32, 32, 32, IconDib32(QImage(32, 32, QImage::Format_ARGB32))}}, 3));
}

TEST(IconTypes, CursorsAreTakenOnlyAsAnimationFrames) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Blue);
    TIcon frame;
    frame.LoadFrameFromBytes(IcoFile({{16, 16, 32, IconDib32(image)}}, 2));
    EXPECT_EQ(frame.Width(), 16);
    EXPECT_EQ(frame.Dib().Image.pixel(0, 0), Blue);
}

TEST(IconEntryChoice, ClosestToThirtyTwoThenClosestDepthFirstWins) {
    const QList<int> ones(16 * 16, 1), ones32(32 * 32, 1);
    QImage green(32, 32, QImage::Format_ARGB32);
    green.fill(Green);
    const QByteArray file =
        IcoFile({{16, 16, 4, IconDib4(16, 16, Palette16(Red), ones)},
                 {32, 32, 4, IconDib4(32, 32, Palette16(Blue), ones32)},
                 {32, 32, 32, IconDib32(green)},
                 {48, 48, 32, IconDib32(QImage(48, 48, QImage::Format_ARGB32))}});
    const TDib atTrueColour = ReadIco(file, 24);
    EXPECT_EQ(atTrueColour.Image.size(), QSize(32, 32));
    EXPECT_EQ(atTrueColour.BitsPerPixel, 32);
    EXPECT_EQ(atTrueColour.Image.pixel(3, 3), Green);
    const TDib atSixteenColours = ReadIco(file, 4);
    EXPECT_EQ(atSixteenColours.BitsPerPixel, 4);
    EXPECT_EQ(atSixteenColours.Image.pixel(3, 3), Blue);
    // Two equally good entries: the first one wins.
    const QByteArray twins = IcoFile({{32, 32, 4, IconDib4(32, 32, Palette16(Red), ones32)},
                                      {32, 32, 4, IconDib4(32, 32, Palette16(Blue), ones32)}});
    EXPECT_EQ(ReadIco(twins, 4).Image.pixel(0, 0), Red);
}

TEST(IconMask, AndMaskHidesPixelsUnlessAlphaIsPresent) {
    QImage opaque(2, 2, QImage::Format_RGB32);
    opaque.fill(Red);
    const QList<QList<bool>> mask{{true, false}, {false, false}};
    QImage noAlpha = opaque.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            noAlpha.setPixel(x, y, noAlpha.pixel(x, y) & 0x00FFFFFF); // alpha bytes all 0
    const TDib masked = ReadIco(IcoFile({{2, 2, 32, IconDib32(noAlpha, mask)}}), 32);
    EXPECT_EQ(qAlpha(masked.Image.pixel(0, 0)), 0);
    EXPECT_EQ(masked.Image.pixel(1, 0), Red);
    EXPECT_EQ(masked.Image.pixel(0, 1), Red);

    QImage halfAlpha(2, 2, QImage::Format_ARGB32);
    halfAlpha.fill(qRgba(0, 0, 255, 128));
    const TDib alpha = ReadIco(IcoFile({{2, 2, 32, IconDib32(halfAlpha, mask)}}), 32);
    EXPECT_EQ(alpha.Image.pixel(0, 0), qRgba(0, 0, 255, 128)); // mask ignored
}

TEST(IconMask, PngEntryKeepsItsAlpha) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(4, 4, Green);
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(image.save(&buffer, "PNG"));
    }
    const TDib dib = ReadIco(IcoFile({{32, 32, 32, png}}), 32);
    EXPECT_EQ(dib.Image.pixel(4, 4), Green);
    EXPECT_EQ(qAlpha(dib.Image.pixel(5, 5)), 0);
}

TEST(IconDamage, BadDirectoriesAndEntriesAreNotValid) {
    const QByteArray good = SolidIcon(Red);
    ExpectInvalidIcon(QByteArray());
    ExpectInvalidIcon(good.left(5));
    ExpectInvalidIcon(QByteArray(good).replace(0, 2, U16(1)));           // reserved field
    ExpectInvalidIcon(U16(0) + U16(1) + U16(0));                         // no entries
    ExpectInvalidIcon(good.left(6 + 15));                                // directory cut short
    ExpectInvalidIcon(good.left(good.size() - 1));                       // image past the end
    ExpectInvalidIcon(QByteArray(good).replace(18, 4, U32(0xFFFFFFF0))); // offset past the end
    ExpectInvalidIcon(QByteArray(good).replace(22, 4, U32(41)));         // unknown DIB header
    ExpectInvalidIcon(
        IcoFile({{32, 32, 32, QByteArray("\x89PNG\r\n\x1a\nbroken data here....", 28)}}));
}

TEST(IconDamage, FailedLoadKeepsTheOldImage) {
    TIcon icon;
    icon.LoadFromBytes(SolidIcon(Green, 16));
    EXPECT_THROW(icon.LoadFromBytes(QByteArray("junk", 4)), EInvalidGraphic);
    EXPECT_EQ(icon.Width(), 16);
}

TEST(IconConversion, AssigningToABitmapFailsAndLeavesItUnchanged) {
    TIcon icon;
    icon.LoadFromBytes(SolidIcon(Red));
    TBitmap bitmap;
    QImage image(3, 3, QImage::Format_RGB32);
    image.fill(Blue);
    bitmap.AssignFromDib(TDib{image, 24});
    try {
        bitmap.Assign(icon);
        ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot assign a TIcon to a TBitmap"));
    }
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Dib().Image.pixel(1, 1), Blue);
}

TEST(IconDrawing, StretchedThroughTheMask) {
    QImage image(2, 2, QImage::Format_ARGB32);
    image.fill(qRgba(255, 0, 0, 0)); // no alpha anywhere: the AND mask decides
    TIcon icon;
    icon.LoadFromBytes(IcoFile({{2, 2, 32, IconDib32(image, {{false, false}, {false, true}})}}));
    const QImage canvas = DrawnInto(icon, QSize(6, 6), QRect(1, 1, 4, 4), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(1, 1), Red);
    EXPECT_EQ(canvas.pixel(4, 2), Red);
    EXPECT_EQ(canvas.pixel(3, 3), qRgb(255, 255, 255)); // masked quarter
    EXPECT_EQ(canvas.pixel(4, 4), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(5, 5), qRgb(255, 255, 255));
}

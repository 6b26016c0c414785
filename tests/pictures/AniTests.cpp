// Animated cursors: play sequence and current frame, the strip a bitmap gets and its colour
// depth, drawing at the icon's own size, and "Stream read error" for damaged RIFF files.
#include "Ani.h"
#include "AniReader.h"
#include "Bitmap.h"
#include "SampleFiles.h"

#include <gtest/gtest.h>

namespace {

const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255),
           Yellow = qRgb(255, 255, 0), White = qRgb(255, 255, 255);

QList<QByteArray> FourFrames() {
    return {SolidIcon(Red), SolidIcon(Green), SolidIcon(Blue), SolidIcon(Yellow)};
}

void ExpectDamaged(const QByteArray& data) {
    TJvAni ani;
    try {
        ani.LoadFromBytes(data);
        ADD_FAILURE() << "no exception";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Stream read error"));
    }
    EXPECT_TRUE(ani.Empty());
}

} // namespace

TEST(AniConversion, FourFramesOfThirtyTwoGiveA128By32FourBitStrip) {
    TJvAni ani;
    ani.LoadFromBytes(AniFile(FourFrames()));
    EXPECT_EQ(ani.FrameCount(), 4);
    EXPECT_EQ(ani.ColorCount(), 16);
    TBitmap bitmap;
    bitmap.Assign(ani);
    EXPECT_EQ(bitmap.Width(), 128);
    EXPECT_EQ(bitmap.Height(), 32);
    EXPECT_EQ(bitmap.BitsPerPixel(), 4);
    const QImage& strip = bitmap.Dib().Image;
    EXPECT_EQ(strip.pixel(0, 0), Red);
    EXPECT_EQ(strip.pixel(31, 31), Red);
    EXPECT_EQ(strip.pixel(32, 0), Green);
    EXPECT_EQ(strip.pixel(70, 10), Blue);
    EXPECT_EQ(strip.pixel(127, 31), Yellow);
}

TEST(AniConversion, RecordedColourCountChoosesTheDepth) {
    const struct {
        quint32 bitCount;
        int depth;
    } cases[] = {{0, 4}, {1, 4}, {4, 4}, {5, 8}, {8, 8}, {9, 24}, {24, 24}, {32, 24}};
    for (const auto& c : cases) {
        TJvAni ani;
        ani.LoadFromBytes(AniFile({SolidIcon(Red)}, {}, {}, c.bitCount));
        TBitmap bitmap;
        bitmap.Assign(ani);
        EXPECT_EQ(bitmap.BitsPerPixel(), c.depth) << c.bitCount;
        EXPECT_EQ(bitmap.Dib().Image.pixel(1, 1), Red) << c.bitCount;
    }
}

TEST(AniConversion, PlayOrderAndBrushColourFillTheStrip) {
    // Frame 2 is 16 x 16; the strip is 4 x the first icon's width, drawn in play order.
    TJvAni ani;
    ani.LoadFromBytes(AniFile(
        {SolidIcon(Red), SolidIcon(Green), SolidIcon(Blue, 16), SolidIcon(Yellow)}, {2, 0, 1, 3}));
    EXPECT_EQ(ani.CurrentFrame(), 2);
    EXPECT_EQ(ani.Width(), 16);
    TBitmap bitmap;
    bitmap.SetBrushColor(Qt::black);
    bitmap.Assign(ani);
    const QImage& strip = bitmap.Dib().Image;
    EXPECT_EQ(strip.width(), 128);
    EXPECT_EQ(strip.pixel(0, 0), Blue);
    EXPECT_EQ(strip.pixel(20, 20), qRgb(0, 0, 0));
    EXPECT_EQ(strip.pixel(32, 0), Red);
    EXPECT_EQ(strip.pixel(64, 0), Green);
    EXPECT_EQ(strip.pixel(96, 0), Yellow);
}

TEST(AniConversion, NoFramesGiveAnEmptyBitmap) {
    TJvAni ani;
    ani.LoadFromBytes(AniFile({}));
    EXPECT_EQ(ani.Width(), 0);
    TBitmap bitmap;
    QImage old(3, 3, QImage::Format_RGB32);
    old.fill(Red);
    bitmap.AssignFromDib(TDib{old, 24});
    bitmap.Assign(ani);
    EXPECT_TRUE(bitmap.Empty());
}

TEST(AniReader, MissingSequencePlaysFramesInOrderAtTheDisplayRate) {
    const TAniFile file = ReadAni(AniFile(FourFrames(), {}, {}, 0, 7));
    EXPECT_EQ(file.Sequence, (QList<int>{0, 1, 2, 3}));
    EXPECT_EQ(file.Rates, (QList<int>{7, 7, 7, 7}));
    const TAniFile rated = ReadAni(AniFile(FourFrames(), {3, 3, 1}, {1, 2}));
    EXPECT_EQ(rated.Sequence, (QList<int>{3, 3, 1}));
    EXPECT_EQ(rated.Rates, (QList<int>{1, 2, 10}));
}

TEST(AniReader, OddSizedChunksArePaddedAndUnknownChunksSkipped) {
    QByteArray file = AniFile({SolidIcon(Red)});
    const QByteArray info =
        Chunk("LIST", QByteArray("INFO") + Chunk("INAM", QByteArray("Spin\0", 5)) +
                          Chunk("IART", QByteArray("Me\0", 3)));
    file.insert(12, info + Chunk("junk", QByteArray("abc")));
    file.replace(4, 4, U32(quint32(file.size() - 8)));
    const TAniFile ani = ReadAni(file);
    EXPECT_EQ(ani.Title, QStringLiteral("Spin"));
    EXPECT_EQ(ani.Author, QStringLiteral("Me"));
    EXPECT_EQ(ani.Frames.size(), 1);
}

TEST(AniDamage, BrokenRiffStructuresGiveStreamReadError) {
    const QByteArray good = AniFile(FourFrames());
    ExpectDamaged(QByteArray());
    ExpectDamaged(QByteArray("RIFX") + good.mid(4));
    ExpectDamaged(good.left(8) + "AVI " + good.mid(12));
    ExpectDamaged(good.left(good.size() - 1));                       // RIFF size past the end
    ExpectDamaged(QByteArray(good).replace(16, 4, U32(0x7FFFFFFF))); // anih past its parent
    ExpectDamaged(QByteArray(good).replace(16, 4, U32(20)));         // anih too short
    ExpectDamaged(
        Chunk("RIFF", QByteArray("ACON") +
                          Chunk("LIST", QByteArray("fram") + Chunk("icon", SolidIcon(Red)))));
    ExpectDamaged(AniFile(FourFrames(), {0, 4})); // frame 4 does not exist
    QByteArray rawFrames = good;
    rawFrames.replace(20 + 32, 4, U32(0)); // flags: not icon frames
    ExpectDamaged(rawFrames);
}

TEST(AniDamage, DamagedFrameRaisesItsIconErrorAndKeepsTheOldFrames) {
    TJvAni ani;
    ani.LoadFromBytes(AniFile({SolidIcon(Red)}));
    EXPECT_THROW(ani.LoadFromBytes(AniFile({SolidIcon(Red), QByteArray("not an icon")})),
                 EInvalidGraphic);
    EXPECT_EQ(ani.FrameCount(), 1);
}

TEST(AniDrawing, CurrentFrameAtItsOwnSizeAtTheTopLeftWithItsMask) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(qRgba(0, 255, 0, 0)); // no alpha anywhere: the AND mask decides
    QList<QList<bool>> mask(16, QList<bool>(16, false));
    mask[0][0] = true;
    TJvAni ani;
    ani.LoadFromBytes(
        AniFile({SolidIcon(Red), IcoFile({{16, 16, 32, IconDib32(image, mask)}})}, {1, 0}));
    const QImage canvas = DrawnInto(ani, QSize(64, 64), QRect(10, 10, 50, 50), White);
    EXPECT_EQ(canvas.pixel(9, 9), White);
    EXPECT_EQ(canvas.pixel(10, 10), White); // masked
    EXPECT_EQ(canvas.pixel(11, 10), Green);
    EXPECT_EQ(canvas.pixel(25, 25), Green);
    EXPECT_EQ(canvas.pixel(26, 26), White); // not stretched
}

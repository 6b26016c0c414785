// TMetafile: recognition by content, sizes of both kinds, playback into a painter (shapes,
// mapping, clipping, paths, bitmaps, text, object tables) and damaged records.

#include "Bitmap.h"
#include "Metafile.h"
#include "MetafileWriter.h"
#include "Picture.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

enum : quint32 {
    EMR_POLYGON = 3,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETMAPMODE = 17,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_LINETO = 54,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTW = 84,
    EMR_FILLRGN = 71,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_ALPHABLEND = 114,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_PIE = 47,
    EMR_SETARCDIRECTION = 57,
};
enum : quint16 {
    META_SETMAPMODE = 0x0103,
    META_SELECTOBJECT = 0x012D,
    META_DELETEOBJECT = 0x01F0,
    META_SETWINDOWEXT = 0x020C,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_RECTANGLE = 0x041B,
    META_ELLIPSE = 0x0418,
    META_DIBBITBLT = 0x0940,
    META_DIBSTRETCHBLT = 0x0B41,
    META_STRETCHDIB = 0x0F43,
};
constexpr quint32 NullPen = 0x80000008;
constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Red = 0xFFFF0000;
constexpr QRgb Blue = 0xFF0000FF;
constexpr QRgb Green = 0xFF00FF00;

const QString NotValid = QStringLiteral("Metafile is not valid");

// 1 pixel per millimetre, frame of width x height mm: device pixels equal frame millimetres.
TEmfWriter Emf(int width = 100, int height = 100) {
    return TEmfWriter(QRect(QPoint(0, 0), QPoint(width * 100, height * 100)), QSize(1000, 1000),
                      QSize(1000, 1000));
}

// Selects a solid brush of colour into handle 1 and the null pen, then draws a rectangle.
TEmfWriter& SolidRectangle(TEmfWriter& emf, quint32 colour, const QRect& box) {
    return emf.Record(EMR_CREATEBRUSHINDIRECT, {1, 0, colour, 0})
        .Record(EMR_SELECTOBJECT, {1})
        .Record(EMR_SELECTOBJECT, {NullPen})
        .Record(EMR_RECTANGLE, {box.left(), box.top(), box.right(), box.bottom()});
}

// Creates a brush (next free entry) and the null pen, and selects both.
TWmfWriter& WmfSolidFill(TWmfWriter& wmf, quint32 colour, int brushIndex, int penIndex) {
    return wmf.Record(META_CREATEBRUSHINDIRECT, {0, int(colour & 0xFFFF), int(colour >> 16), 0})
        .Record(META_CREATEPENINDIRECT, {5, 0, 0, 0, 0})
        .Record(META_SELECTOBJECT, {brushIndex})
        .Record(META_SELECTOBJECT, {penIndex});
}

QImage Render(const QByteArray& data, const QSize& canvas, const QRect& target) {
    TMetafile metafile;
    metafile.LoadFromBytes(data);
    QImage image(canvas, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    metafile.Draw(painter, target);
    return image;
}

QString LoadError(const QByteArray& data) {
    try {
        TMetafile metafile;
        metafile.LoadFromBytes(data);
    } catch (const EInvalidGraphic& error) {
        return error.Message();
    }
    return QStringLiteral("(loaded)");
}

} // namespace

TEST(MetafileLoad, EnhancedMetafileNamedWmfLoadsAsEnhanced) {
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("drawing.wmf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(Emf(40, 30).Bytes());
    file.close();
    TMetafile metafile;
    metafile.LoadFromFile(file.fileName());
    EXPECT_TRUE(metafile.Enhanced());
    EXPECT_EQ(metafile.Width(), 40);
    EXPECT_EQ(metafile.Height(), 30);
}

TEST(MetafileLoad, RefusesWhatIsNeitherEnhancedNorPlaceable) {
    const TWmfWriter wmf(QRect(0, 0, 100, 100), 1440);
    EXPECT_EQ(LoadError(wmf.MetafileOnly()), NotValid);
    QByteArray badChecksum = wmf.Bytes();
    badChecksum[20] = char(badChecksum[20] ^ 1);
    EXPECT_EQ(LoadError(badChecksum), NotValid);
    EXPECT_EQ(LoadError(QByteArray()), NotValid);
    EXPECT_EQ(LoadError(wmf.Bytes().left(30)), NotValid);
    EXPECT_EQ(LoadError(TWmfWriter(QRect(0, 0, 100, 100), 0).Bytes()), NotValid);
    EXPECT_EQ(LoadError(wmf.Bytes()), QStringLiteral("(loaded)"));
}

TEST(MetafileLoad, EnhancedSignatureCountsOnlyBeyond100Bytes) {
    // An 88-byte header plus one record: 12 bytes of record make 100 in all, 16 make 104.
    QByteArray hundred = Emf().Bytes().left(88);
    hundred += QByteArray::fromHex("c8000000"
                                   "0c000000"
                                   "00000000");
    ASSERT_EQ(hundred.size(), 100);
    EXPECT_EQ(LoadError(hundred), NotValid);
    QByteArray more = hundred;
    SetU32(more, 92, 16);
    more += QByteArray(4, '\0');
    EXPECT_EQ(LoadError(more), QStringLiteral("(loaded)"));
}

TEST(MetafileLoad, RefusesDamagedEnhancedHeaders) {
    QByteArray noMillimetres = Emf().Bytes();
    SetU32(noMillimetres, 80, 0);
    EXPECT_EQ(LoadError(noMillimetres), NotValid);
    QByteArray headerPastEnd = Emf().Bytes();
    SetU32(headerPastEnd, 4, quint32(headerPastEnd.size() + 4));
    EXPECT_EQ(LoadError(headerPastEnd), NotValid);
    QByteArray huge = TEmfWriter(QRect(QPoint(0, 0), QPoint(2000000000, 2000000000)),
                                 QSize(1000, 1000), QSize(10, 10))
                          .Bytes();
    EXPECT_EQ(LoadError(huge), NotValid);
}

TEST(MetafileLoad, FailedLoadKeepsThePreviousPicture) {
    TMetafile metafile;
    metafile.LoadFromBytes(Emf(40, 30).Bytes());
    EXPECT_THROW(metafile.LoadFromBytes(QByteArray("not a metafile")), EInvalidGraphic);
    EXPECT_TRUE(metafile.Enhanced());
    EXPECT_EQ(metafile.Width(), 40);
    EXPECT_FALSE(metafile.Empty());
}

TEST(MetafileSize, EnhancedFrameAtTheRecordingDevicesResolution) {
    // 100 mm x 50 mm on a 1024 x 768 pixel, 320 x 240 mm device: 3.2 pixels per millimetre.
    TMetafile metafile;
    metafile.LoadFromBytes(
        TEmfWriter(QRect(QPoint(0, 0), QPoint(10000, 5000)), QSize(1024, 768), QSize(320, 240))
            .Bytes());
    EXPECT_EQ(metafile.Width(), 320);
    EXPECT_EQ(metafile.Height(), 160);
    // Different resolutions across and down: 4 and 2 pixels per millimetre.
    metafile.LoadFromBytes(
        TEmfWriter(QRect(QPoint(500, 500), QPoint(10500, 5500)), QSize(1000, 1000), QSize(250, 500))
            .Bytes());
    EXPECT_EQ(metafile.Width(), 400);
    EXPECT_EQ(metafile.Height(), 100);
}

TEST(MetafileSize, PlaceableBoxDividedByUnitsPerInchAt96Dpi) {
    TMetafile metafile;
    metafile.LoadFromBytes(TWmfWriter(QRect(0, 0, 1440, 720), 1440).Bytes());
    EXPECT_FALSE(metafile.Enhanced());
    EXPECT_EQ(metafile.Width(), 96);
    EXPECT_EQ(metafile.Height(), 48);
    metafile.LoadFromBytes(TWmfWriter(QRect(-100, -50, 720, 360), 2880).Bytes());
    EXPECT_EQ(metafile.Width(), 24);
    EXPECT_EQ(metafile.Height(), 12);
}

TEST(MetafileSize, BoxWithoutWidthDrawsNothing) {
    TWmfWriter wmf(QRect(0, 0, 0, 100), 96);
    WmfSolidFill(wmf, ColorRef(255, 0, 0), 0, 1).Record(META_RECTANGLE, {100, 100, -100, -100});
    TMetafile metafile;
    metafile.LoadFromBytes(wmf.Bytes());
    EXPECT_EQ(metafile.Width(), 0);
    EXPECT_EQ(metafile.Height(), 100);
    const QImage image = Render(wmf.Bytes(), QSize(20, 20), QRect(0, 0, 20, 20));
    EXPECT_EQ(image.pixel(0, 0), White);
    EXPECT_EQ(image.pixel(10, 10), White);
}

TEST(MetafileDraw, ShapesLandScaledInTheTarget) {
    TEmfWriter emf = Emf(200, 100);
    SolidRectangle(emf, ColorRef(255, 0, 0), QRect(QPoint(0, 0), QPoint(100, 100)));
    emf.Record(EMR_CREATEBRUSHINDIRECT, {2, 0, ColorRef(0, 0, 255), 0})
        .Record(EMR_SELECTOBJECT, {2})
        .Record(EMR_ELLIPSE, {100, 0, 200, 100})
        .Record(EMR_RECTANGLE, {150, 90, 400, 400}); // reaches past the frame
    const QImage full = Render(emf.Bytes(), QSize(220, 120), QRect(10, 10, 200, 100));
    EXPECT_EQ(full.pixel(60, 60), Red);
    EXPECT_EQ(full.pixel(160, 60), Blue);
    EXPECT_EQ(full.pixel(113, 13), White);  // inside the ellipse's box, outside the ellipse
    EXPECT_EQ(full.pixel(5, 5), White);     // outside the target
    EXPECT_EQ(full.pixel(214, 114), White); // the overlong rectangle is cut at the target
    const QImage half = Render(emf.Bytes(), QSize(100, 50), QRect(0, 0, 100, 50));
    EXPECT_EQ(half.pixel(25, 25), Red);
    EXPECT_EQ(half.pixel(75, 25), Blue);
    EXPECT_EQ(half.pixel(52, 2), White);
}

TEST(MetafileDraw, MapModesScaleLogicalUnits) {
    TEmfWriter anisotropic = Emf();
    anisotropic.Record(EMR_SETMAPMODE, {8})
        .Record(EMR_SETWINDOWEXTEX, {1000, 1000})
        .Record(EMR_SETVIEWPORTEXTEX, {100, 100});
    SolidRectangle(anisotropic, ColorRef(255, 0, 0), QRect(QPoint(0, 0), QPoint(500, 500)));
    QImage image = Render(anisotropic.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100));
    EXPECT_EQ(image.pixel(25, 25), Red);
    EXPECT_EQ(image.pixel(75, 25), White);
    EXPECT_EQ(image.pixel(25, 75), White);

    // Hundredths of a millimetre with y up, on a 1 pixel per millimetre device.
    TEmfWriter himetric = Emf();
    himetric.Record(EMR_SETMAPMODE, {3});
    SolidRectangle(himetric, ColorRef(255, 0, 0), QRect(QPoint(0, -5000), QPoint(5000, 0)));
    image = Render(himetric.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100));
    EXPECT_EQ(image.pixel(25, 25), Red);
    EXPECT_EQ(image.pixel(75, 75), White);
}

TEST(MetafileDraw, PiesRunCounterClockwiseUnlessToldOtherwise) {
    // From the right-hand end of the box to its top: a quarter one way, three quarters the other.
    const auto pie = [](bool clockwise) {
        TEmfWriter emf = Emf();
        if (clockwise)
            emf.Record(EMR_SETARCDIRECTION, {2});
        emf.Record(EMR_CREATEBRUSHINDIRECT, {1, 0, ColorRef(255, 0, 0), 0})
            .Record(EMR_SELECTOBJECT, {1})
            .Record(EMR_PIE, {0, 0, 100, 100, 100, 50, 50, 0});
        return Render(emf.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100));
    };
    QImage image = pie(false);
    EXPECT_EQ(image.pixel(70, 30), Red);
    EXPECT_EQ(image.pixel(30, 30), White);
    EXPECT_EQ(image.pixel(70, 70), White);
    image = pie(true);
    EXPECT_EQ(image.pixel(70, 30), White);
    EXPECT_EQ(image.pixel(30, 30), Red);
    EXPECT_EQ(image.pixel(70, 70), Red);
}

TEST(MetafileDraw, WorldTransformsComposeBeforeTheWindow) {
    // Scale by one half, then (applied after it) move 50 to the right.
    const auto xform = [](float m11, float m22, float dx) {
        QByteArray data;
        for (float value : {m11, 0.0f, 0.0f, m22, dx, 0.0f}) {
            quint32 bits;
            std::memcpy(&bits, &value, sizeof bits);
            PutU32(data, bits);
        }
        return data;
    };
    QByteArray modify = xform(1, 1, 50);
    PutU32(modify, 3);
    TEmfWriter emf = Emf();
    emf.Raw(EMR_SETWORLDTRANSFORM, xform(0.5f, 0.5f, 0)).Raw(EMR_MODIFYWORLDTRANSFORM, modify);
    SolidRectangle(emf, ColorRef(0, 0, 255), QRect(QPoint(0, 0), QPoint(100, 100)));
    const QImage image = Render(emf.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100));
    EXPECT_EQ(image.pixel(75, 25), Blue);
    EXPECT_EQ(image.pixel(25, 25), White);
    EXPECT_EQ(image.pixel(75, 75), White);
}

TEST(MetafileDraw, ClipRectanglesIntersectExcludeAndRestore) {
    TEmfWriter emf = Emf();
    emf.Record(EMR_SAVEDC, {}).Record(EMR_INTERSECTCLIPRECT, {0, 0, 50, 50});
    SolidRectangle(emf, ColorRef(255, 0, 0), QRect(QPoint(0, 0), QPoint(100, 100)));
    emf.Record(EMR_RESTOREDC, {-1}).Record(EMR_EXCLUDECLIPRECT, {0, 60, 50, 100});
    SolidRectangle(emf, ColorRef(0, 0, 255), QRect(QPoint(0, 60), QPoint(100, 100)));
    const QImage image = Render(emf.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100));
    EXPECT_EQ(image.pixel(25, 25), Red);
    EXPECT_EQ(image.pixel(75, 25), White);
    EXPECT_EQ(image.pixel(75, 80), Blue);
    EXPECT_EQ(image.pixel(25, 80), White);
}

TEST(MetafileDraw, PathIsFilledWithTheBrush) {
    TEmfWriter emf = Emf();
    emf.Record(EMR_CREATEBRUSHINDIRECT, {1, 0, ColorRef(0, 255, 0), 0})
        .Record(EMR_SELECTOBJECT, {1})
        .Record(EMR_BEGINPATH, {})
        .Record(EMR_MOVETOEX, {10, 10})
        .Record(EMR_LINETO, {90, 10})
        .Record(EMR_LINETO, {90, 90})
        .Record(EMR_CLOSEFIGURE, {})
        .Record(EMR_ENDPATH, {})
        .Record(EMR_FILLPATH, {0, 0, 100, 100});
    const QImage image = Render(emf.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100));
    EXPECT_EQ(image.pixel(80, 20), Green);
    EXPECT_EQ(image.pixel(20, 80), White);
}

TEST(MetafileDraw, StretchedBitmapKeepsItsRowOrder) {
    // 2 x 2 pixels, 24 bits, stored bottom row first: bottom red, green; top blue, white.
    const QByteArray info = DibInfo24(2, 2);
    const QByteArray bits = QByteArray::fromHex("0000ff00ff000000"
                                                "ff0000ffffff0000");
    QByteArray payload;
    for (qint64 value :
         {0, 0, 100, 100, 0, 0, 0, 0, 2, 2, 80, 40, 120, int(bits.size()), 0, 0x00CC0020, 100, 100})
        PutU32(payload, quint32(value));
    payload += info + bits;
    TEmfWriter emf = Emf();
    emf.Raw(EMR_STRETCHDIBITS, payload);
    QImage image = Render(emf.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100));
    EXPECT_EQ(image.pixel(25, 25), Blue);
    EXPECT_EQ(image.pixel(75, 25), White);
    EXPECT_EQ(image.pixel(25, 75), Red);
    EXPECT_EQ(image.pixel(75, 75), Green);
    // Source y counts from the bottom row: the pixel at (1, 0) is the green one.
    SetU32(payload, 24, 1);
    SetU32(payload, 28, 0);
    SetU32(payload, 32, 1);
    SetU32(payload, 36, 1);
    TEmfWriter corner = Emf();
    corner.Raw(EMR_STRETCHDIBITS, payload);
    image = Render(corner.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100));
    EXPECT_EQ(image.pixel(50, 50), Green);
}

TEST(MetafileDraw, AlphaBlendUsesItsConstantOpacity) {
    // One blue pixel, 24 bits, blended at 50 % over the white canvas.
    const QByteArray info = DibInfo24(1, 1);
    const QByteArray bits = QByteArray::fromHex("ff000000");
    QByteArray payload;
    for (qint64 value : {0, 0,          100, 100, 0, 0, 100, 100, 0x00800000, 0, 0, 0x3F800000, 0,
                         0, 0x3F800000, 0,   0,   0, 0, 108, 40,  148,        4, 1, 1})
        PutU32(payload, quint32(value));
    payload += info + bits;
    TEmfWriter emf = Emf();
    emf.Raw(EMR_ALPHABLEND, payload);
    const QRgb blended = Render(emf.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100)).pixel(50, 50);
    EXPECT_NEAR(qRed(blended), 127, 2);
    EXPECT_EQ(qBlue(blended), 255);
}

TEST(MetafileDraw, RegionsClipAndFill) {
    // Region data: a 32-byte header (size, type, count, bytes, bounds) and the rectangles.
    const auto region = [](std::initializer_list<QRect> rects) {
        QByteArray data;
        for (quint32 value :
             {32u, 1u, quint32(rects.size()), quint32(rects.size() * 16), 0u, 0u, 100u, 100u})
            PutU32(data, value);
        for (const QRect& rect : rects) {
            for (int value : {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1})
                PutU32(data, quint32(value));
        }
        return data;
    };
    const QByteArray leftHalf = region({QRect(0, 0, 50, 100)});
    QByteArray clip;
    PutU32(clip, quint32(leftHalf.size()));
    PutU32(clip, 5);
    const QByteArray twoBands = region({QRect(0, 0, 100, 30), QRect(0, 70, 100, 30)});
    QByteArray fill;
    for (quint32 value : {0u, 0u, 100u, 100u, quint32(twoBands.size()), 0x80000004u})
        PutU32(fill, value);
    TEmfWriter emf = Emf();
    emf.Raw(EMR_EXTSELECTCLIPRGN, clip + leftHalf).Raw(EMR_FILLRGN, fill + twoBands);
    const QImage image = Render(emf.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100));
    EXPECT_EQ(image.pixel(25, 15), 0xFF000000);
    EXPECT_EQ(image.pixel(25, 85), 0xFF000000);
    EXPECT_EQ(image.pixel(25, 50), White);
    EXPECT_EQ(image.pixel(75, 15), White);
}

TEST(MetafileDraw, TextStartsAtItsReferencePoint) {
    TEmfWriter emf = Emf();
    emf.Raw(EMR_EXTCREATEFONTINDIRECTW, EmfFontPayload(1, -20, 400))
        .Record(EMR_SELECTOBJECT, {1})
        .Record(EMR_SETTEXTCOLOR, {ColorRef(0, 0, 255)})
        .Record(EMR_SETTEXTALIGN, {0})
        .Raw(EMR_EXTTEXTOUTW,
             EmfTextPayload(QRect(0, 0, 100, 100), {20, 40}, QStringLiteral("HH")));
    const QImage image = Render(emf.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100));
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 100; ++x) {
            if (qBlue(image.pixel(x, y)) > 200 && qRed(image.pixel(x, y)) < 100)
                (x >= 20 && x < 60 && y >= 40 && y < 62 ? inside : outside)++;
        }
    }
    EXPECT_GT(inside, 20);
    EXPECT_EQ(outside, 0);
}

TEST(MetafileDraw, WindowsMetafileBoxAndWindowMapOntoTheTarget) {
    TWmfWriter wmf(QRect(0, 0, 1000, 500), 1000);
    WmfSolidFill(wmf, ColorRef(255, 0, 0), 0, 1).Record(META_RECTANGLE, {500, 500, 0, 0});
    QImage image = Render(wmf.Bytes(), QSize(200, 100), QRect(0, 0, 200, 100));
    EXPECT_EQ(image.pixel(50, 50), Red);
    EXPECT_EQ(image.pixel(150, 50), White);

    // A window of its own: 10 x 10 logical units fill the whole box.
    TWmfWriter windowed(QRect(0, 0, 1000, 500), 1000);
    windowed.Record(META_SETMAPMODE, {8}).Record(META_SETWINDOWEXT, {10, 10});
    WmfSolidFill(windowed, ColorRef(0, 0, 255), 0, 1).Record(META_ELLIPSE, {10, 10, 0, 5});
    image = Render(windowed.Bytes(), QSize(200, 100), QRect(0, 0, 200, 100));
    EXPECT_EQ(image.pixel(150, 50), Blue);
    EXPECT_EQ(image.pixel(50, 50), White);
    EXPECT_EQ(image.pixel(103, 3), White);
}

TEST(MetafileDraw, WindowsObjectTableReusesTheLowestFreeEntry) {
    TWmfWriter wmf(QRect(0, 0, 100, 100), 96, 3);
    wmf.Record(META_CREATEBRUSHINDIRECT, {0, 0xFF00, 0, 0}) // 0: blue... soon deleted
        .Record(META_CREATEPENINDIRECT, {5, 0, 0, 0, 0})    // 1: null pen
        .Record(META_DELETEOBJECT, {0})
        .Record(META_CREATEBRUSHINDIRECT, {0, 0xFF00, 0, 0}) // takes 0 again: green
        .Record(META_CREATEBRUSHINDIRECT, {0, 0x00FF, 0, 0}) // 2: red
        .Record(META_CREATEBRUSHINDIRECT, {0, 0, 0xFF, 0})   // table full: dropped
        .Record(META_SELECTOBJECT, {0})
        .Record(META_SELECTOBJECT, {1})
        .Record(META_RECTANGLE, {100, 50, 0, 0})
        .Record(META_SELECTOBJECT, {2})
        .Record(META_RECTANGLE, {100, 100, 0, 50});
    const QImage image = Render(wmf.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100));
    EXPECT_EQ(image.pixel(25, 50), Green);
    EXPECT_EQ(image.pixel(75, 50), Red);
}

TEST(MetafileDraw, WindowsBlitsPlaceTheirBitmaps) {
    // The 2 x 2 bitmap: top row blue, white; bottom row red, green.
    const QByteArray dib = DibInfo24(2, 2) + QByteArray::fromHex("0000ff00ff000000"
                                                                 "ff0000ffffff0000");
    const auto words = [](std::initializer_list<int> values) {
        QByteArray data;
        for (int value : values)
            PutU16(data, quint16(value));
        return data;
    };
    TWmfWriter wmf(QRect(0, 0, 100, 100), 96);
    // Stretch-DIB: copy, colours in the bitmap, source 2 x 2 at 0,0, destination 50 x 100 at 0,0.
    wmf.Raw(META_STRETCHDIB, words({0x0020, 0x00CC, 0, 2, 2, 0, 0, 100, 50, 0, 0}) + dib)
        .Raw(META_DIBSTRETCHBLT, words({0x0020, 0x00CC, 2, 2, 0, 0, 100, 50, 0, 50}) + dib)
        .Record(META_CREATEBRUSHINDIRECT, {0, 0x00FF, 0, 0})
        .Record(META_SELECTOBJECT, {0})
        // No bitmap: the pattern (the red brush) fills 20 x 20 at 40,40.
        .Record(META_DIBBITBLT, {0x0021, 0x00F0, 0, 0, 0, 20, 20, 40, 40});
    const QImage image = Render(wmf.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100));
    EXPECT_EQ(image.pixel(12, 25), Blue);
    EXPECT_EQ(image.pixel(37, 75), Green);
    EXPECT_EQ(image.pixel(62, 25), Blue);
    EXPECT_EQ(image.pixel(87, 75), Green);
    EXPECT_EQ(image.pixel(50, 50), Red);
    EXPECT_EQ(image.pixel(37, 25), White);
}

TEST(MetafilePlayback, UnknownRecordsAreSkipped) {
    TEmfWriter emf = Emf();
    emf.Record(200, {1, 2, 3});
    SolidRectangle(emf, ColorRef(255, 0, 0), QRect(QPoint(0, 0), QPoint(100, 100)));
    EXPECT_EQ(Render(emf.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100)).pixel(50, 50), Red);

    TWmfWriter wmf(QRect(0, 0, 100, 100), 96);
    wmf.Record(0x0999, {1, 2, 3});
    WmfSolidFill(wmf, ColorRef(255, 0, 0), 0, 1).Record(META_RECTANGLE, {100, 100, 0, 0});
    EXPECT_EQ(Render(wmf.Bytes(), QSize(100, 100), QRect(0, 0, 100, 100)).pixel(50, 50), Red);
}

TEST(MetafilePlayback, RecordClaimingMoreThanIsLeftEndsPlayback) {
    TEmfWriter emf = Emf();
    SolidRectangle(emf, ColorRef(255, 0, 0), QRect(QPoint(0, 0), QPoint(50, 100)));
    QByteArray data = emf.Bytes();
    const int damaged = data.size() - 20 - 24; // the rectangle record before the end record
    QByteArray cut = data;
    SetU32(cut, damaged + 4, 4000);
    EXPECT_EQ(Render(cut, QSize(100, 100), QRect(0, 0, 100, 100)).pixel(25, 50), White);
    SetU32(data, damaged + 4, 22); // not a multiple of 4
    EXPECT_EQ(Render(data, QSize(100, 100), QRect(0, 0, 100, 100)).pixel(25, 50), White);

    TWmfWriter wmf(QRect(0, 0, 100, 100), 96);
    WmfSolidFill(wmf, ColorRef(255, 0, 0), 0, 1)
        .Record(META_RECTANGLE, {100, 50, 0, 0})
        .Record(META_RECTANGLE, {100, 100, 0, 50});
    QByteArray windows = wmf.Bytes();
    const int second = windows.size() - 6 - 14;
    SetU32(windows, second, 2); // shorter than a record header: the end
    const QImage image = Render(windows, QSize(100, 100), QRect(0, 0, 100, 100));
    EXPECT_EQ(image.pixel(25, 50), Red);
    EXPECT_EQ(image.pixel(75, 50), White);
}

TEST(MetafilePlayback, EveryTruncationLoadsOrFailsCleanly) {
    TEmfWriter emf = Emf();
    SolidRectangle(emf, ColorRef(255, 0, 0), QRect(QPoint(0, 0), QPoint(50, 100)));
    emf.Record(EMR_POLYGON, {0, 0, 100, 100, 3, 10, 10, 90, 10, 50, 90});
    TWmfWriter wmf(QRect(0, 0, 100, 100), 96);
    WmfSolidFill(wmf, ColorRef(255, 0, 0), 0, 1).Record(META_ELLIPSE, {100, 50, 0, 0});
    for (const QByteArray& whole : {emf.Bytes(), wmf.Bytes()}) {
        for (int length = 0; length < whole.size(); ++length) {
            SCOPED_TRACE(length);
            const QByteArray part = whole.left(length);
            TMetafile metafile;
            try {
                metafile.LoadFromBytes(part);
            } catch (const EInvalidGraphic& error) {
                EXPECT_EQ(error.Message(), NotValid);
                continue;
            }
            QImage image(50, 50, QImage::Format_RGB32);
            QPainter painter(&image);
            EXPECT_NO_THROW(metafile.Draw(painter, QRect(0, 0, 50, 50)));
        }
    }
}

TEST(MetafileConvert, AssigningToABitmapFailsAndLeavesItUnchanged) {
    TMetafile metafile;
    metafile.LoadFromBytes(Emf().Bytes());
    TBitmap bitmap;
    try {
        bitmap.Assign(metafile);
        FAIL() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot assign a TMetafile to a TBitmap"));
    }
    EXPECT_TRUE(bitmap.Empty());
    metafile.LoadFromBytes(TWmfWriter(QRect(0, 0, 100, 100), 96).Bytes());
    EXPECT_THROW(metafile.AssignTo(bitmap), EConvertError);
}

TEST(MetafileConvert, PicturesCopyMetafilesButNotOtherClassesIntoThem) {
    TMetafile source;
    source.LoadFromBytes(Emf(40, 30).Bytes());
    TPicture picture;
    picture.Assign(&source);
    ASSERT_NE(qobject_cast<TMetafile*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 40);
    EXPECT_TRUE(static_cast<TMetafile*>(picture.Graphic())->Enhanced());

    TMetafile target;
    TBitmap bitmap;
    try {
        target.Assign(bitmap);
        FAIL() << "no error";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Cannot assign a TBitmap to a TMetafile"));
    }
    EXPECT_TRUE(target.Empty());
}

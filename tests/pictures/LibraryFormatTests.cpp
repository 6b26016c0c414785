// The JPEG XL, AVIF and HEIF pictures, on files their own Debian encoders wrote: colours beside
// what their own decoders read, alpha, the first frame, the container's turn and mirror, the
// thumbnail read, and the clean message for damaged and truncated files.
#include "Avif.h"
#include "Bitmap.h"
#include "Heif.h"
#include "Jxl.h"
#include "LibrarySamples.h"

#include <QBuffer>
#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255),
           White = qRgb(255, 255, 255);

struct TFormatRow {
    TLibraryFormat Format;
    const QMetaObject* Class;
    QString NotValid;
};

void PrintTo(const TFormatRow& row, std::ostream* out) {
    *out << LibraryExtension(row.Format).toStdString();
}

std::string RowName(const ::testing::TestParamInfo<TFormatRow>& info) {
    return LibraryExtension(info.param.Format).toStdString();
}

QImage Filled(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

void ExpectNear(const QList<QRgb>& actual, const QList<QRgb>& expected, int tolerance) {
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(qRed(actual[i]), qRed(expected[i]), tolerance);
        EXPECT_NEAR(qGreen(actual[i]), qGreen(expected[i]), tolerance);
        EXPECT_NEAR(qBlue(actual[i]), qBlue(expected[i]), tolerance);
    }
}

// The tool's sample, failing the test with the tool's own words when it cannot make one.
QByteArray Made(TLibraryFormat format, const QList<QImage>& frames, bool lossless,
                const QStringList& extra = {}) {
    QString error;
    const QByteArray file = MakeLibrarySample(format, frames, lossless, extra, &error);
    EXPECT_FALSE(file.isEmpty()) << error.toStdString();
    return file;
}

class LibraryFormatTest : public ::testing::TestWithParam<TFormatRow> {
protected:
    std::unique_ptr<TGraphic> Loaded(const QByteArray& file) const {
        std::unique_ptr<TGraphic> graphic(qobject_cast<TGraphic*>(GetParam().Class->newInstance()));
        graphic->LoadFromBytes(file);
        return graphic;
    }
    QImage Converted(const QByteArray& file) const {
        TBitmap bitmap;
        Loaded(file)->AssignTo(bitmap);
        EXPECT_EQ(bitmap.BitsPerPixel(), 24);
        return bitmap.Dib().Image;
    }
    // The message of loading and converting file, or "no error".
    QString LoadAndConvertError(const QByteArray& file) const {
        try {
            Converted(file);
        } catch (const EInvalidGraphic& e) {
            return e.Message();
        }
        return QStringLiteral("no error");
    }
    QByteArray Sample(const QList<QImage>& frames, bool lossless = true,
                      const QStringList& extra = {}) const {
        return Made(GetParam().Format, frames, lossless, extra);
    }
};

TEST_P(LibraryFormatTest, ConvertsWithTheColoursItsOwnDecoderReads) {
    const QByteArray file = Sample({QuarterColours(64, 48)});
    ASSERT_FALSE(file.isEmpty());
    const auto graphic = Loaded(file);
    EXPECT_EQ(QSize(graphic->Width(), graphic->Height()), QSize(64, 48));
    const QImage image = Converted(file);
    ASSERT_EQ(image.size(), QSize(64, 48));
    ExpectNear(ColoursOfQuarters(image), {Red, Green, Blue, White}, 4);
    const QImage theirs = DecodeWithLibraryTool(GetParam().Format, file);
    ASSERT_EQ(theirs.size(), QSize(64, 48));
    ExpectNear(ColoursOfQuarters(image), ColoursOfQuarters(theirs), 2);
}

// A one-channel source comes out as the same greys in every colour channel.
TEST_P(LibraryFormatTest, GreyPicturesKeepTheirGreys) {
    QImage grey(16, 8, QImage::Format_Grayscale8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            grey.setPixel(x, y, qRgb(x * 16, x * 16, x * 16));
    const QByteArray file = Sample({grey});
    ASSERT_FALSE(file.isEmpty());
    const QImage image = Converted(file);
    ASSERT_EQ(image.size(), QSize(16, 8));
    ExpectNear({image.pixel(0, 4), image.pixel(8, 4), image.pixel(15, 4)},
               {qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(240, 240, 240)}, 3);
}

TEST_P(LibraryFormatTest, AlphaIsDrawnOverTheCanvasAndConvertedOverWhite) {
    QImage picture = Filled(32, 16, qRgba(0, 0, 0, 0));
    QPainter(&picture).fillRect(16, 0, 16, 16, Red);
    const QByteArray file = Sample({picture});
    ASSERT_FALSE(file.isEmpty());
    QImage canvas = Filled(32, 16, Blue);
    QPainter painter(&canvas);
    Loaded(file)->Draw(painter, canvas.rect());
    painter.end();
    ExpectNear({canvas.pixel(4, 8), canvas.pixel(28, 8)}, {Blue, Red}, 4);
    const QImage converted = Converted(file);
    ExpectNear({converted.pixel(4, 8), converted.pixel(28, 8)}, {White, Red}, 4);
}

TEST_P(LibraryFormatTest, ShowsTheFirstFrameOfSeveral) {
    const QByteArray file = Sample({Filled(16, 8, Red), Filled(16, 8, Blue)});
    ASSERT_FALSE(file.isEmpty());
    ExpectNear({Converted(file).pixel(8, 4)}, {Red}, 4);
}

// Cells as small as an eighth of the picture, a larger one, and one larger than the picture.
TEST_P(LibraryFormatTest, ThumbnailReadGivesThePictureFittedIntoTheCell) {
    const QByteArray file = Sample({QuarterColours(512, 384)}, false);
    ASSERT_FALSE(file.isEmpty());
    const struct {
        QSize Box, Expected;
    } cases[] = {{{48, 48}, {48, 36}}, {{200, 300}, {200, 150}}, {{1000, 1000}, {512, 384}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Box.width());
        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadOnly);
        std::unique_ptr<TGraphic> graphic(qobject_cast<TGraphic*>(GetParam().Class->newInstance()));
        const TThumbnailImage thumbnail = graphic->ReadThumbnail(buffer, c.Box);
        EXPECT_EQ(thumbnail.PictureSize, QSize(512, 384));
        EXPECT_EQ(thumbnail.Image.size(), c.Expected);
        ExpectNear(ColoursOfQuarters(thumbnail.Image), {Red, Green, Blue, White}, 24);
    }
}

TEST_P(LibraryFormatTest, DamagedAndTruncatedFilesGiveTheFormatsMessage) {
    const QByteArray file = Sample({QuarterColours(64, 48)});
    ASSERT_FALSE(file.isEmpty());
    QByteArray noSignature = file;
    noSignature.replace(0, 12, QByteArray(12, 'x'));
    const struct {
        const char* Name;
        QByteArray Bytes;
    } cases[] = {{"empty", QByteArray()},
                 {"signature only", file.left(12)},
                 {"header cut", file.left(40)},
                 {"half the data", file.left(file.size() / 2)},
                 {"one byte short", file.left(file.size() - 1)},
                 {"no signature", noSignature}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(LoadAndConvertError(c.Bytes), GetParam().NotValid);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LibraryFormatTest,
    ::testing::Values(
        TFormatRow{TLibraryFormat::Jxl, &TJxlImage::staticMetaObject, "JPEG XL image is not valid"},
        TFormatRow{TLibraryFormat::Avif, &TAvifImage::staticMetaObject, "AVIF image is not valid"},
        TFormatRow{TLibraryFormat::Heif, &THeifImage::staticMetaObject, "HEIF image is not valid"}),
    RowName);

// The container's rotation (quarter turns anticlockwise), mirror and crop, as avifenc writes them.
// heif-enc writes none of them, so the HEIF reader is checked on the same files: libheif reads
// the AVIF container too, and applies them itself where the AVIF reader applies them by hand.
TEST(AvifAndHeifImage, TurnAndMirrorAndCropAsTheContainerSays) {
    const struct {
        QStringList Arguments;
        QSize Size;
        QList<QRgb> Quadrants;
    } cases[] = {
        {{"--irot", "1"}, {48, 64}, {Green, White, Red, Blue}},
        {{"--irot", "2"}, {64, 48}, {White, Blue, Green, Red}},
        {{"--irot", "3"}, {48, 64}, {Blue, Red, White, Green}},
        {{"--imir", "0"}, {64, 48}, {Blue, White, Red, Green}},
        {{"--imir", "1"}, {64, 48}, {Green, Red, White, Blue}},
        {{"--irot", "1", "--imir", "1"}, {48, 64}, {White, Green, Blue, Red}},
        {{"--crop", "0,0,32,24"}, {32, 24}, {Red, Red, Red, Red}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        const QByteArray file =
            Made(TLibraryFormat::Avif, {QuarterColours(64, 48)}, true, c.Arguments);
        ASSERT_FALSE(file.isEmpty());
        TAvifImage avif;
        THeifImage heif;
        for (TGraphic* graphic : std::initializer_list<TGraphic*>{&avif, &heif}) {
            SCOPED_TRACE(graphic->ClassName().toStdString());
            graphic->LoadFromBytes(file);
            EXPECT_EQ(QSize(graphic->Width(), graphic->Height()), c.Size);
            TBitmap bitmap;
            graphic->AssignTo(bitmap);
            ASSERT_EQ(bitmap.Dib().Image.size(), c.Size);
            ExpectNear(ColoursOfQuarters(bitmap.Dib().Image), c.Quadrants, 4);
        }
    }
}

} // namespace

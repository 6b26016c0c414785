// The format registry (rows, lookup, removal, mask list and filter), TPicture loading by
// extension with its failure rules, assignment, and stretched bitmap drawing.
#include "Ani.h"
#include "Avif.h"
#include "Bitmap.h"
#include "FileFormats.h"
#include "Heif.h"
#include "Icon.h"
#include "Jxl.h"
#include "Metafile.h"
#include "Picture.h"
#include "PictureFormats.h"
#include "Png.h"
#include "SampleFiles.h"
#include "Svg.h"
#include "Tiff.h"
#include "Webp.h"

#include <QFile>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A class derived from TBitmap, to show that removal and lookup follow inheritance.
class TDerivedBitmap : public TBitmap {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TDerivedBitmap(QObject* parent = nullptr) : TBitmap(parent) {}
};

namespace {

const QRgb Red = qRgb(255, 0, 0), Green = qRgb(0, 255, 0), Blue = qRgb(0, 0, 255),
           White = qRgb(255, 255, 255);

// Registers the start-up rows once for the whole test program.
const TFileFormatsList& Registered() {
    static const bool done = (RegisterPictureFormats(), true);
    Q_UNUSED(done);
    return FileFormats();
}

// Every registered pattern, newest row first.
const QString AllPatterns =
    QStringLiteral("*.heif;*.heic;*.avif;*.jxl;*.svgz;*.svg;*.tiff;*.tif;*.webp;*.png;*.gif;*.ani;"
                   "*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf");

QString LoadError(TPicture& picture, const QString& fileName) {
    try {
        picture.LoadFromFile(fileName);
    } catch (const Exception& e) {
        return e.ClassName() + QStringLiteral(": ") + e.Message();
    }
    return QStringLiteral("no error");
}

} // namespace

TEST(FormatRegistry, MaskListAndFilterForEveryGraphic) {
    const TFileFormatsList& formats = Registered();
    EXPECT_EQ(formats.MaskList(&TGraphic::staticMetaObject), AllPatterns);
    EXPECT_EQ(formats.Filter(&TGraphic::staticMetaObject),
              QStringLiteral("All (") + AllPatterns + QStringLiteral(")|") + AllPatterns +
                  QStringLiteral("|HEIF Image File (*.heif)|*.heif|HEIF Image File (*.heic)|"
                                 "*.heic|AVIF Image File (*.avif)|*.avif|JPEG XL Image File "
                                 "(*.jxl)|*.jxl|"
                                 "SVG Image File (*.svgz)|*.svgz|SVG Image File (*.svg)|*.svg|"
                                 "TIFF Image File (*.tiff)|*.tiff|TIFF Image File (*.tif)|*.tif|"
                                 "WebP Image File (*.webp)|*.webp|PNG Image File (*.png)|*.png|"
                                 "CompuServe GIF Image (*.gif)|*.gif|ANI Image (*.ani)|*.ani|"
                                 "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|"
                                 "Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles "
                                 "(*.emf)|*.emf|Metafiles (*.wmf)|*.wmf"));
}

TEST(FormatRegistry, LibraryDecodedFormatsAreFoundByTheirExtensions) {
    const TFileFormatsList& formats = Registered();
    const struct {
        const char* Extension;
        TGraphicClass Class;
    } rows[] = {{"jxl", &TJxlImage::staticMetaObject},
                {"AVIF", &TAvifImage::staticMetaObject},
                {"heic", &THeifImage::staticMetaObject},
                {"Heif", &THeifImage::staticMetaObject}};
    for (const auto& row : rows)
        EXPECT_EQ(formats.FindExt(QString::fromLatin1(row.Extension)), row.Class) << row.Extension;
}

TEST(FormatRegistry, ShutdownRemovesTheStartUpRowsAgain) {
    Registered();
    UnregisterPictureFormats();
    EXPECT_EQ(FileFormats().MaskList(&TGraphic::staticMetaObject),
              QStringLiteral("*.bmp;*.ico;*.emf;*.wmf"));
    RegisterPictureFormats();
    EXPECT_EQ(FileFormats().MaskList(&TGraphic::staticMetaObject), AllPatterns);
}

TEST(FormatRegistry, OneMatchingRowHasNoAllEntry) {
    const TFileFormatsList& formats = Registered();
    EXPECT_EQ(formats.MaskList(&TBitmap::staticMetaObject), QStringLiteral("*.bmp"));
    EXPECT_EQ(formats.Filter(&TBitmap::staticMetaObject), QStringLiteral("Bitmaps (*.bmp)|*.bmp"));
    EXPECT_EQ(formats.Filter(&TMetafile::staticMetaObject),
              QStringLiteral("All (*.emf;*.wmf)|*.emf;*.wmf|Enhanced Metafiles "
                             "(*.emf)|*.emf|Metafiles (*.wmf)|*.wmf"));
    EXPECT_EQ(formats.MaskList(&TDerivedBitmap::staticMetaObject), QString());
}

TEST(FormatRegistry, FindIgnoresCaseAndTheNewestRowWins) {
    TFileFormatsList formats;
    EXPECT_EQ(formats.FindExt(QStringLiteral("BMP")), &TBitmap::staticMetaObject);
    EXPECT_EQ(formats.FindExt(QStringLiteral("jpe")), nullptr);
    EXPECT_EQ(formats.FindExt(QString()), nullptr);
    formats.Add(QStringLiteral("BMP"), QStringLiteral("Other"), &TDerivedBitmap::staticMetaObject);
    EXPECT_EQ(formats.Rows().last().Extension, QStringLiteral("bmp"));
    EXPECT_EQ(formats.FindExt(QStringLiteral("bmp")), &TDerivedBitmap::staticMetaObject);
}

TEST(FormatRegistry, RemovingAClassRemovesItsDerivedClassesRows) {
    TFileFormatsList formats;
    formats.Add(QStringLiteral("dib"), QStringLiteral("Derived"),
                &TDerivedBitmap::staticMetaObject);
    formats.Add(QString(), QStringLiteral("No extension"), &TIcon::staticMetaObject);
    EXPECT_EQ(formats.MaskList(&TIcon::staticMetaObject),
              QStringLiteral("*.ico")); // empty extension skipped
    formats.Remove(&TBitmap::staticMetaObject);
    EXPECT_EQ(formats.FindExt(QStringLiteral("bmp")), nullptr);
    EXPECT_EQ(formats.FindExt(QStringLiteral("dib")), nullptr);
    EXPECT_EQ(formats.Rows().size(), 4);
    formats.Remove(&TGraphic::staticMetaObject);
    EXPECT_TRUE(formats.Rows().isEmpty());
    EXPECT_EQ(formats.Filter(&TGraphic::staticMetaObject), QString());
}

TEST(PictureLoading, ExtensionDecidesTheClass) {
    Registered();
    QTemporaryDir dir;
    QImage photo(8, 6, QImage::Format_RGB32);
    photo.fill(Red);
    const QString jpeg = dir.filePath(QStringLiteral("photo.JPG"));
    ASSERT_TRUE(photo.save(jpeg, "JPG"));
    TPicture picture;
    picture.LoadFromFile(jpeg);
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Graphic()->ClassName(), QStringLiteral("TJPEGImage"));
    EXPECT_EQ(picture.Width(), 8);
    EXPECT_EQ(picture.Height(), 6);
    QFile::copy(jpeg, dir.filePath(QStringLiteral("photo.jpe")));
    EXPECT_EQ(LoadError(picture, dir.filePath(QStringLiteral("photo.jpe"))),
              QStringLiteral("EInvalidGraphic: Unknown picture file extension (.jpe)"));
    EXPECT_EQ(LoadError(picture, WriteSample(dir, QStringLiteral("README"), "text")),
              QStringLiteral("EInvalidGraphic: Unknown picture file extension (.)"));
    EXPECT_EQ(LoadError(picture, dir.filePath(QStringLiteral("a.b/README"))),
              QStringLiteral("EInvalidGraphic: Unknown picture file extension (.)"));
    EXPECT_EQ(picture.Graphic()->ClassName(), QStringLiteral("TJPEGImage")); // kept
}

TEST(PictureLoading, TheLibraryFormatsAreChosenByTheirExtensionsInAnyCase) {
    const TFileFormatsList& formats = Registered();
    const struct {
        const char* Extension;
        TGraphicClass Class;
    } rows[] = {
        {"png", &TPngImage::staticMetaObject},  {"WEBP", &TWebPImage::staticMetaObject},
        {"tif", &TTiffImage::staticMetaObject}, {"Tiff", &TTiffImage::staticMetaObject},
        {"svg", &TSvgImage::staticMetaObject},  {"SVGZ", &TSvgImage::staticMetaObject},
    };
    for (const auto& row : rows)
        EXPECT_EQ(formats.FindExt(QString::fromLatin1(row.Extension)), row.Class) << row.Extension;
    EXPECT_EQ(formats.FindExt(QStringLiteral("svg.gz")), nullptr);
}

TEST(PictureLoading, EmptyAndForeignBitmapFiles) {
    Registered();
    QTemporaryDir dir;
    TPicture picture;
    picture.LoadFromFile(WriteSample(dir, QStringLiteral("empty.bmp"), QByteArray()));
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Graphic()->ClassName(), QStringLiteral("TBitmap"));
    EXPECT_TRUE(picture.Graphic()->Empty());
    EXPECT_EQ(picture.Width(), 0);
    TGraphic* before = picture.Graphic();
    EXPECT_EQ(
        LoadError(picture, WriteSample(dir, QStringLiteral("fake.bmp"), "GIF89a not a bitmap")),
        QStringLiteral("EInvalidGraphic: Bitmap image is not valid"));
    EXPECT_EQ(picture.Graphic(), before);
    const QString missing = dir.filePath(QStringLiteral("missing.ani"));
    EXPECT_EQ(LoadError(picture, missing),
              QStringLiteral("EFOpenError: Cannot open file \"%1\". No such file or directory")
                  .arg(missing));
}

TEST(PictureLoading, ChangeAndProgressNoticesAreForwarded) {
    Registered();
    QTemporaryDir dir;
    TPicture picture;
    QSignalSpy changed(&picture, &TPicture::Changed);
    QSignalSpy progress(&picture, &TPicture::Progress);
    picture.LoadFromFile(
        WriteSample(dir, QStringLiteral("two.ani"), AniFile({SolidIcon(Red), SolidIcon(Green)})));
    EXPECT_EQ(changed.count(), 1);
    ASSERT_EQ(progress.count(), 2);
    EXPECT_EQ(progress.last().first().toInt(), 100);
    EXPECT_EQ(picture.Width(), 32);
    picture.Graphic()->SetTransparent(true);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_THROW(picture.LoadFromFile(WriteSample(dir, QStringLiteral("bad.ani"), "RIFF")),
                 EReadError);
    EXPECT_EQ(changed.count(), 2);
}

TEST(PictureAssign, BitmapsShareTheirPixels) {
    TBitmap source;
    source.AssignFromDib(QuadDib());
    source.SetTransparentColor(Red);
    source.SetTransparent(true);
    TPicture picture;
    picture.Assign(&source);
    auto* copy = qobject_cast<TBitmap*>(picture.Graphic());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, &source);
    EXPECT_EQ(copy->Dib().Image.constBits(), source.Dib().Image.constBits());
    EXPECT_TRUE(copy->Transparent());
    EXPECT_EQ(copy->TransparentColor(), QColor(Red));
    TPicture second;
    second.Assign(picture);
    EXPECT_EQ(second.Width(), 2);
    second.Assign(static_cast<TGraphic*>(nullptr));
    EXPECT_EQ(second.Graphic(), nullptr);
    EXPECT_EQ(second.Width(), 0);
    TBitmap bitmap;
    bitmap.AssignFromDib(QuadDib());
    bitmap.Assign(static_cast<TGraphic*>(nullptr));
    EXPECT_TRUE(bitmap.Empty());
}

TEST(PictureAssign, IconsAndAnimatedCursorsCopyAcrossPictures) {
    TIcon icon;
    icon.LoadFromBytes(SolidIcon(Green));
    TPicture picture;
    picture.Assign(&icon);
    EXPECT_EQ(picture.Graphic()->ClassName(), QStringLiteral("TIcon"));
    EXPECT_EQ(picture.Width(), 32);
    TJvAni ani;
    ani.LoadFromBytes(AniFile({SolidIcon(Red, 16)}));
    picture.Assign(&ani);
    EXPECT_EQ(picture.Graphic()->ClassName(), QStringLiteral("TJvAni"));
    EXPECT_EQ(picture.Width(), 16);
    TBitmap target;
    EXPECT_THROW(target.Assign(icon), EConvertError);
}

TEST(BitmapDrawing, StretchedWithoutSmoothingAndOpaque) {
    TBitmap bitmap;
    bitmap.AssignFromDib(QuadDib());
    const QImage canvas = DrawnInto(bitmap, QSize(6, 6), QRect(1, 1, 4, 4), qRgb(9, 9, 9));
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(9, 9, 9));
    EXPECT_EQ(canvas.pixel(1, 1), Red);
    EXPECT_EQ(canvas.pixel(2, 2), Red);
    EXPECT_EQ(canvas.pixel(3, 1), Green);
    EXPECT_EQ(canvas.pixel(4, 2), Green);
    EXPECT_EQ(canvas.pixel(1, 4), Blue);
    EXPECT_EQ(canvas.pixel(4, 4), White);
    EXPECT_EQ(canvas.pixel(5, 5), qRgb(9, 9, 9));
}

TEST(BitmapDrawing, ShrinkingDropsRowsAndColumnsAndAlphaIsIgnored) {
    QImage image(4, 4, QImage::Format_ARGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            image.setPixel(x, y, qRgba(x * 60, y * 60, 0, 0));
    TBitmap bitmap;
    bitmap.AssignFromDib(TDib{image, 32});
    const QImage canvas = DrawnInto(bitmap, QSize(2, 2), QRect(0, 0, 2, 2), Blue);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x) {
            const QRgb c = canvas.pixel(x, y);
            EXPECT_EQ(qRed(c) % 60, 0); // one of the source values, not an average
            EXPECT_EQ(qGreen(c) % 60, 0);
            EXPECT_EQ(qRed(c) / 60 / 2, x); // from its own block
            EXPECT_EQ(qGreen(c) / 60 / 2, y);
            EXPECT_EQ(qBlue(c), 0); // not the background
        }
}

TEST(BitmapDrawing, TransparentColourIsLeftOutOnlyWhenSwitchedOn) {
    TBitmap bitmap;
    bitmap.AssignFromDib(QuadDib());
    bitmap.SetTransparentColor(Red);
    QImage canvas(2, 2, QImage::Format_RGB32);
    canvas.fill(qRgb(9, 9, 9));
    QPainter painter(&canvas);
    bitmap.Draw(painter, QRect(0, 0, 2, 2));
    EXPECT_EQ(canvas.pixel(0, 0), Red);
    canvas.fill(qRgb(9, 9, 9));
    bitmap.SetTransparent(true);
    bitmap.Draw(painter, QRect(0, 0, 2, 2));
    painter.end();
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(9, 9, 9));
    EXPECT_EQ(canvas.pixel(1, 0), Green);
}

#include "PictureTests.moc"

// Inputs that once made a reader crash or hang (tests/data/crash, named after the fault) must
// now end in the format's own clean error, leaving the graphic empty.
#include "Ani.h"
#include "Gif.h"
#include "GifReader.h"
#include "Icon.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QString CrashFile(const QString& name) {
    return QDir::cleanPath(QStringLiteral(VELLORIA_TEST_DATA "/../../data/crash/") + name);
}

// "EClass: message" of the error loading the file raises, or "no error".
QString LoadError(TGraphic& graphic, const QString& name) {
    try {
        graphic.LoadFromFile(CrashFile(name));
    } catch (const Exception& e) {
        return e.ClassName() + QStringLiteral(": ") + e.Message();
    }
    return QStringLiteral("no error");
}

const QString InvalidIcon = QStringLiteral("EInvalidGraphic: Icon image is not valid");

} // namespace

TEST(CrashInputs, IconFilesEndInIconImageIsNotValid) {
    for (const char* name :
         {"ico_truncated_dib_claims_huge_image.ico", "ico_png_size_product_overflow.ico"}) {
        TIcon icon;
        EXPECT_EQ(LoadError(icon, QString::fromLatin1(name)), InvalidIcon) << name;
        EXPECT_TRUE(icon.Empty()) << name;
    }
}

TEST(CrashInputs, AnimatedCursorsEndInTheirFramesIconError) {
    for (const char* name :
         {"ani_truncated_frame_claims_huge_strip.ani", "ani_png_frame_size_overflow.ani"}) {
        TJvAni ani;
        EXPECT_EQ(LoadError(ani, QString::fromLatin1(name)), InvalidIcon) << name;
        EXPECT_TRUE(ani.Empty()) << name;
    }
}

TEST(CrashInputs, GifFrameNoPixelWideGivesNoCellPicture) {
    QFile file(CrashFile(QStringLiteral("gif_thumbnail_of_a_frame_no_pixel_wide.gif")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const TGifFile gif = ReadGif(file.readAll());
    ASSERT_EQ(gif.Frames.size(), 1);
    EXPECT_EQ(DecodeGifFrameThumbnail(gif.Frames.first(), QSize(7, 5)).pixelIndex(3, 2), 0);
    file.seek(0);
    TJvGIFImage image;
    try {
        image.ReadThumbnail(file, QSize(100, 100));
        ADD_FAILURE() << "no error";
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("GIF image is not valid"));
    }
}

// The program carries the project's version information and its own icon.
#include "ProgramIcon.h"
#include "VelloriaVersion.h"
#include "VersionInfo.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

TEST(ProgramVersion, ProgramFileCarriesTheProjectVersion) {
    const TVersionInfo info = ReadVersionInfo(QStringLiteral(VELLORIA_PROGRAM));
    EXPECT_EQ(info.StringValue("ProductName"), "Velloria");
    EXPECT_EQ(info.StringValue("CompanyName"), "Ornwick");
    EXPECT_EQ(info.StringValue("OriginalFilename"), "velloria");
    EXPECT_TRUE(info.StringValue("LegalCopyright").contains("Ornwick"));
    const QString version = QString::fromLatin1(VelloriaVersion);
    EXPECT_TRUE(FormatFileVersion(info.FileVersion).startsWith(version + " ("))
        << FormatFileVersion(info.FileVersion).toStdString();
    EXPECT_TRUE(info.StringValue("ProductVersion").startsWith(version));
#ifdef NDEBUG
    const bool debugBuild = false;
#else
    const bool debugBuild = true;
#endif
    EXPECT_EQ((info.EffectiveFlags() & VS_FF_DEBUG) != 0, debugBuild);
}

// The program's icon is built in: with no icon theme holding it (a run from the build folder),
// it is the rendering of the program's own SVG, at each size the theme would have.
TEST(ProgramIcon, BuiltInRenderingsWhenNoThemeHoldsTheIcon) {
    ASSERT_TRUE(QIcon::fromTheme(QStringLiteral("com.ornwick.Velloria")).isNull())
        << "an installed copy would be preferred; this test needs a machine without one";
    const QIcon icon = ProgramIcon();
    for (const int size : {16, 32, 48, 256}) {
        SCOPED_TRACE(size);
        const QImage rendering(QStringLiteral(VELLORIA_BINARY_DIR "/data/icons/%1x%1/"
                                                                  "com.ornwick.Velloria.png")
                                   .arg(size));
        ASSERT_FALSE(rendering.isNull());
        EXPECT_EQ(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                  rendering.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
}

// The GSettings adapters against GIO's keyfile backend and the real compiled schemas; the
// `gsettings` tool reads and writes the same keyfile from a child process.
#include "DesktopExpectations.h"
#include "GSettingsWallpaper.h"
#include "TestPeers.h"

#include <QUrl>
#include <gtest/gtest.h>

namespace {
QString Gsettings(const QStringList& arguments) {
    int exitCode = -1;
    const QString output = RunProgram(QStringLiteral("gsettings"), arguments, exitCode);
    EXPECT_EQ(exitCode, 0) << arguments.join(QLatin1Char(' ')).toStdString();
    return output;
}

QString GetKey(const char* schema, const char* key) {
    return Gsettings(
        {QStringLiteral("get"), QString::fromLatin1(schema), QString::fromLatin1(key)});
}

class GSettingsWallpaperTest : public ::testing::TestWithParam<TGSettingsSchema> {};
} // namespace

void PrintTo(const TGSettingsSchema& schema, std::ostream* stream) {
    *stream << schema.SchemaId;
}

TEST_P(GSettingsWallpaperTest, SetIsSeenByGsettingsAndReadBackInEveryStyle) {
    const TGSettingsSchema& schema = GetParam();
    ASSERT_TRUE(GSettingsSchemaInstalled(schema));
    TGSettingsWallpaper desktop(schema);
    EXPECT_EQ(desktop.Name(), QString::fromLatin1(schema.Name));
    const QString file = QStringLiteral("/srv/pictures/été #1/") + QString(300, QLatin1Char('x')) +
                         QStringLiteral(".jpg");
    const QStringList nicks = {QStringLiteral("'wallpaper'"), QStringLiteral("'centered'"),
                               QStringLiteral("'stretched'"), QStringLiteral("'centered'")};
    const QList<int> written = {wsTiled, wsCentered, wsStretched, 255};
    for (int i = 0; i < written.size(); ++i) {
        ASSERT_TRUE(desktop.SetWallpaper(file, written[i]));
        EXPECT_EQ(GetKey(schema.SchemaId, "picture-options"), nicks[i]);
        QString fileName;
        int style = -1;
        ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
        EXPECT_EQ(fileName, file);
        EXPECT_EQ(style, i < 3 ? written[i] : int(wsCentered));
    }
    const QString expected =
        schema.ImageIsUri ? QString::fromLatin1(QUrl::fromLocalFile(file).toEncoded()) : file;
    EXPECT_EQ(GetKey(schema.SchemaId, schema.ImageKey),
              QLatin1Char('\'') + expected + QLatin1Char('\''));
    if (schema.DarkImageKey) {
        EXPECT_EQ(GetKey(schema.SchemaId, schema.DarkImageKey),
                  GetKey(schema.SchemaId, schema.ImageKey));
    }
}

TEST_P(GSettingsWallpaperTest, OtherOptionsReadAsCentredAndBarePathsAreAccepted) {
    const TGSettingsSchema& schema = GetParam();
    TGSettingsWallpaper desktop(schema);
    ASSERT_TRUE(desktop.SetWallpaper(QStringLiteral("/a/b.jpg"), wsTiled));
    const QString id = QString::fromLatin1(schema.SchemaId);
    Gsettings({QStringLiteral("set"), id, QString::fromLatin1(schema.ImageKey),
               QStringLiteral("/plain path/c.bmp")});
    Gsettings(
        {QStringLiteral("set"), id, QStringLiteral("picture-options"), QStringLiteral("zoom")});
    QString fileName;
    int style = -1;
    // The keyfile backend notices the other process's write through a file monitor.
    EXPECT_TRUE(WaitFor([&] {
        return desktop.GetWallpaper(fileName, style) &&
               fileName == QLatin1String("/plain path/c.bmp");
    }));
    EXPECT_EQ(style, wsCentered);
}

INSTANTIATE_TEST_SUITE_P(EverySchemaFamily, GSettingsWallpaperTest,
                         ::testing::Values(GnomeBackgroundSchema, MateBackgroundSchema,
                                           CinnamonBackgroundSchema),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(GSettingsWallpaper, MissingSchemaOrKeyFailsWithoutAborting) {
    TGSettingsSchema absent = GnomeBackgroundSchema;
    absent.SchemaId = "org.example.velloria.absent";
    TGSettingsSchema noKey = GnomeBackgroundSchema;
    noKey.ImageKey = "no-such-key";
    for (const TGSettingsSchema* schema : {&absent, &noKey}) {
        EXPECT_FALSE(GSettingsSchemaInstalled(*schema));
        TGSettingsWallpaper desktop(*schema);
        ExpectGetFails(desktop);
        EXPECT_FALSE(desktop.SetWallpaper(QStringLiteral("/a.jpg"), wsTiled));
    }
}

TEST(GSettingsWallpaper, CinnamonSlideshowIsSwitchedOffSoThePictureStays) {
    const QString slideshow = QStringLiteral("org.cinnamon.desktop.background.slideshow");
    const QString enabled = QStringLiteral("slideshow-enabled");
    Gsettings({QStringLiteral("set"), slideshow, enabled, QStringLiteral("true")});
    TGSettingsWallpaper desktop(CinnamonBackgroundSchema);
    ASSERT_TRUE(desktop.SetWallpaper(QStringLiteral("/a.jpg"), wsTiled));
    EXPECT_EQ(Gsettings({QStringLiteral("get"), slideshow, enabled}), QStringLiteral("false"));
}

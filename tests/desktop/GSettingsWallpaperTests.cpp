// The GSettings adapters against GIO's keyfile backend and the real compiled schemas; the
// `gsettings` tool reads and writes the same keyfile from a child process.
// GIO first: its headers use names that Qt defines as macros.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include "DesktopExpectations.h"
#include "GSettingsWallpaper.h"
#include "TestPeers.h"

#include <QDir>
#include <QFile>
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

void SetKey(const char* schema, const char* key, const QString& value) {
    Gsettings(
        {QStringLiteral("set"), QString::fromLatin1(schema), QString::fromLatin1(key), value});
}

// Waits until the adapter reads the given file: the keyfile backend learns of another process's
// write through a file monitor.
bool Reads(IDesktopWallpaper& desktop, const QString& file, TLxWallpaperStyle& style) {
    QString fileName;
    return WaitFor([&] { return desktop.GetWallpaper(fileName, style) && fileName == file; });
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
    const QString file = QStringLiteral("/srv/pictures/été #1%?/") +
                         QString(300, QLatin1Char('x')) + QStringLiteral(".jpg");
    const QStringList nicks = {QStringLiteral("'wallpaper'"), QStringLiteral("'centered'"),
                               QStringLiteral("'stretched'"), QStringLiteral("'zoom'"),
                               QStringLiteral("'scaled'"),    QStringLiteral("'centered'")};
    const QList<TLxWallpaperStyle> written = {wsTiled,  wsCentered, wsStretched,
                                              wsZoomed, wsScaled,   OutOfRangeStyle};
    for (int i = 0; i < written.size(); ++i) {
        ASSERT_TRUE(desktop.SetWallpaper(file, written[i]));
        EXPECT_EQ(GetKey(schema.SchemaId, "picture-options"), nicks[i]);
        QString fileName;
        TLxWallpaperStyle style = OutOfRangeStyle;
        ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
        EXPECT_EQ(fileName, file);
        EXPECT_EQ(style, ValidStyle(written[i]));
    }
    // The URI is made of the name's bytes, escaped as GNOME's own tools write it.
    const QString expected =
        schema.ImageIsUri ? QStringLiteral("file:///srv/pictures/%C3%A9t%C3%A9%20%231%25%3F/") +
                                QString(300, QLatin1Char('x')) + QStringLiteral(".jpg")
                          : file;
    EXPECT_EQ(GetKey(schema.SchemaId, schema.ImageKey),
              QLatin1Char('\'') + expected + QLatin1Char('\''));
    if (schema.DarkImageKey) {
        EXPECT_EQ(GetKey(schema.SchemaId, schema.DarkImageKey),
                  GetKey(schema.SchemaId, schema.ImageKey));
    }
}

// A desktop showing no picture (options "none"; MATE: no file) reads as an empty name, and the
// empty name takes the picture away again, as the desktop had it, the name it kept beside too.
TEST_P(GSettingsWallpaperTest, NoPictureReadsAsAnEmptyNameAndIsPutBack) {
    const TGSettingsSchema& schema = GetParam();
    ASSERT_TRUE(GSettingsSchemaInstalled(schema));
    const QString file = QStringLiteral("/srv/pictures/lake.jpg");
    ASSERT_TRUE(TGSettingsWallpaper(schema).SetWallpaper(file, wsTiled));
    const QString image = GetKey(schema.SchemaId, schema.ImageKey);
    ASSERT_TRUE(TGSettingsWallpaper(schema).SetWallpaper(QString(), wsTiled));
    EXPECT_EQ(GetKey(schema.SchemaId, schema.ImageKey),
              schema.ImageIsUri ? image : QStringLiteral("''"));
    const QString options = GetKey(schema.SchemaId, "picture-options");
    if (schema.ImageIsUri) {
        EXPECT_EQ(options, QStringLiteral("'none'"));
    }

    TGSettingsWallpaper desktop(schema);
    QString fileName = QStringLiteral("stale");
    TLxWallpaperStyle style = OutOfRangeStyle;
    ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
    EXPECT_EQ(fileName, QString());
    ASSERT_TRUE(desktop.SetWallpaper(file, wsStretched));
    ASSERT_TRUE(desktop.SetWallpaper(QString(), style));
    EXPECT_EQ(GetKey(schema.SchemaId, schema.ImageKey),
              schema.ImageIsUri ? image : QStringLiteral("''"));
    EXPECT_EQ(GetKey(schema.SchemaId, "picture-options"), options);
}

TEST_P(GSettingsWallpaperTest, OptionsSetByOthersReadAsTheirStyleOrCentredAndBarePathsWork) {
    const TGSettingsSchema& schema = GetParam();
    TGSettingsWallpaper desktop(schema);
    const QString id = QString::fromLatin1(schema.SchemaId);
    const QList<QPair<QString, TLxWallpaperStyle>> options = {
        {QStringLiteral("zoom"), wsZoomed},
        {QStringLiteral("scaled"), wsScaled},
        {QStringLiteral("spanned"), wsCentered},
        {QStringLiteral("wallpaper"), wsTiled}};
    for (const auto& [option, expected] : options) {
        SCOPED_TRACE(option.toStdString());
        const QString file = QStringLiteral("/plain path/") + option + QStringLiteral(".bmp");
        Gsettings({QStringLiteral("set"), id, QStringLiteral("picture-options"), option});
        Gsettings({QStringLiteral("set"), id, QString::fromLatin1(schema.ImageKey), file});
        TLxWallpaperStyle style = OutOfRangeStyle;
        // The keyfile backend notices the other process's write through a file monitor.
        EXPECT_TRUE(Reads(desktop, file, style));
        EXPECT_EQ(style, expected);
    }
}

// Asked for exactly what it reported, the adapter gives the desktop back every key it read:
// the start-up record then restores a dark-mode picture, its zoom, and options we have no
// style for.
TEST_P(GSettingsWallpaperTest, SettingTheReportedWallpaperRestoresEveryKeyItRead) {
    const TGSettingsSchema& schema = GetParam();
    const QString darkValue = QStringLiteral("file:///usr/share/backgrounds/night.xml");
    for (const auto& [option, reported] : {std::pair{"zoom", wsZoomed}, {"spanned", wsCentered}}) {
        SCOPED_TRACE(option);
        // A picture of its own for each round, so that the read below sees this round's keys.
        const QString light = QStringLiteral("/usr/share/backgrounds/day light %1.jxl").arg(option);
        const QString lightValue =
            schema.ImageIsUri
                ? QStringLiteral("file:///usr/share/backgrounds/day%20light%20%1.jxl").arg(option)
                : light;
        SetKey(schema.SchemaId, "picture-options", QString::fromLatin1(option));
        if (schema.DarkImageKey)
            SetKey(schema.SchemaId, schema.DarkImageKey, darkValue);
        SetKey(schema.SchemaId, schema.ImageKey, lightValue);
        TGSettingsWallpaper desktop(schema);
        TLxWallpaperStyle style = OutOfRangeStyle;
        ASSERT_TRUE(Reads(desktop, light, style));
        EXPECT_EQ(style, reported);

        const QString other = QStringLiteral("/home/me/other.bmp");
        ASSERT_TRUE(desktop.SetWallpaper(other, wsTiled));
        EXPECT_EQ(GetKey(schema.SchemaId, "picture-options"), QStringLiteral("'wallpaper'"));
        // Reading the new choice back does not forget what the first read found.
        ASSERT_TRUE(Reads(desktop, other, style));
        // Another style for the reported file is a choice of its own, not a restore.
        ASSERT_TRUE(desktop.SetWallpaper(light, wsStretched));
        EXPECT_EQ(GetKey(schema.SchemaId, "picture-options"), QStringLiteral("'stretched'"));
        ASSERT_TRUE(desktop.SetWallpaper(light, reported));
        EXPECT_EQ(GetKey(schema.SchemaId, schema.ImageKey),
                  QLatin1Char('\'') + lightValue + QLatin1Char('\''));
        if (schema.DarkImageKey) {
            EXPECT_EQ(GetKey(schema.SchemaId, schema.DarkImageKey),
                      QLatin1Char('\'') + darkValue + QLatin1Char('\''));
        }
        EXPECT_EQ(GetKey(schema.SchemaId, "picture-options"),
                  QLatin1Char('\'') + QLatin1String(option) + QLatin1Char('\''));
    }
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
        EXPECT_TRUE(desktop.LastError().startsWith(QStringLiteral("the GSettings schema ")))
            << desktop.LastError().toStdString();
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

TEST(GSettingsWallpaper, NamesReadBackFromTheirEscapedBytes) {
    TGSettingsWallpaper desktop(GnomeBackgroundSchema);
    SetKey(GnomeBackgroundSchema.SchemaId, GnomeBackgroundSchema.ImageKey,
           QStringLiteral("file:///srv/caf%C3%A9%20%231%25.jpg"));
    TLxWallpaperStyle style = OutOfRangeStyle;
    EXPECT_TRUE(Reads(desktop, QStringLiteral("/srv/café #1%.jpg"), style));
    EXPECT_EQ(FileUri(QStringLiteral("/srv/café #1%.jpg")),
              QByteArray("file:///srv/caf%C3%A9%20%231%25.jpg"));
    EXPECT_FALSE(desktop.SetWallpaper(QStringLiteral("relative.jpg"), wsTiled));
    EXPECT_EQ(desktop.LastError(), QStringLiteral("relative.jpg is not an absolute file name"));
}

namespace {
// GIO's keyfile backend on its own file, with a locks file in its own defaults folder (the
// default backend reads these from /etc, out of a test's reach).
class TLockedKeyfileBackend {
public:
    explicit TLockedKeyfileBackend(const QByteArray& lockedKey) {
        const QByteArray file = QFile::encodeName(FFolder.filePath(QStringLiteral("keyfile")));
        QFile locks(FFolder.filePath(QStringLiteral("locks")));
        if (locks.open(QIODevice::WriteOnly))
            locks.write(lockedKey + "\n");
        locks.close();
        // The backend's type is registered by its first construction.
        GSettingsBackend* plain = g_keyfile_settings_backend_new(file.constData(), "/", nullptr);
        const QByteArray folder = QFile::encodeName(FFolder.path());
        FBackend = G_SETTINGS_BACKEND(g_object_new(G_OBJECT_TYPE(plain), "filename",
                                                   file.constData(), "root-path", "/",
                                                   "defaults-dir", folder.constData(), nullptr));
        g_object_unref(plain);
    }
    ~TLockedKeyfileBackend() { g_object_unref(FBackend); }
    GSettingsBackend* Backend() const { return FBackend; }

private:
    QTemporaryDir FFolder;
    GSettingsBackend* FBackend = nullptr;
};
} // namespace

TEST(GSettingsWallpaper, ALockedKeyLeavesEveryKeyAsItWas) {
    for (const QByteArray& key : {QByteArray("picture-options"), QByteArray("picture-uri-dark")}) {
        SCOPED_TRACE(key.constData());
        TLockedKeyfileBackend keyfile("/org/gnome/desktop/background/" + key);
        TGSettingsWallpaper desktop(GnomeBackgroundSchema, keyfile.Backend());
        QString fileName;
        TLxWallpaperStyle style = OutOfRangeStyle;
        ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
        const QString before = fileName;
        EXPECT_FALSE(desktop.SetWallpaper(QStringLiteral("/srv/new.jpg"), wsStretched));
        EXPECT_EQ(desktop.LastError(),
                  QStringLiteral("the setting org.gnome.desktop.background %1 is locked")
                      .arg(QLatin1String(key)));
        ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
        EXPECT_EQ(fileName, before) << "the picture is not changed without its options";
        TGSettingsWallpaper other(GnomeBackgroundSchema, keyfile.Backend());
        ASSERT_TRUE(other.GetWallpaper(fileName, style));
        EXPECT_EQ(fileName, before);
    }
}

namespace {
// One loader's entry in GdkPixbuf's loaders cache, as gdk-pixbuf-query-loaders writes it.
QByteArray LoaderEntry(const QByteArray& format, const QByteArray& mimeTypes) {
    return "\"/usr/lib/loaders/libpixbufloader-" + format + ".so\"\n\"" + format +
           "\" 5 \"gdk-pixbuf\" \"A format\" \"LGPL\"\n" + mimeTypes + " \"\"\n\"" + format +
           "\" \"\"\n\"RIFF\" \"    \" 100\n\n";
}

void WriteFile(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Sets a variable for one scope, and puts back what it held.
class TScopedVariable {
public:
    TScopedVariable(const char* name, const QString& value) : FName(name), FSaved(qgetenv(name)) {
        qputenv(name, QFile::encodeName(value));
    }
    ~TScopedVariable() { FSaved.isNull() ? qunsetenv(FName) : qputenv(FName, FSaved); }

private:
    const char* FName;
    QByteArray FSaved;
};
} // namespace

// GdkPixbuf reads WebP only with a loader a package may not have installed: the GNOME family
// takes WebP as it is exactly when GdkPixbuf's cache lists one, or, without a cache, when the
// loaders folder holds one.
TEST(GSettingsWallpaper, WebPGoesAsItIsOnlyWhereGdkPixbufHasItsLoader) {
    QTemporaryDir folder;
    const QString withWebp = folder.filePath(QStringLiteral("with-webp.cache"));
    const QString withoutWebp = folder.filePath(QStringLiteral("without-webp.cache"));
    const QString loaders = folder.filePath(QStringLiteral("loaders"));
    const QString emptyLoaders = folder.filePath(QStringLiteral("empty"));
    ASSERT_TRUE(QDir().mkpath(loaders));
    ASSERT_TRUE(QDir().mkpath(emptyLoaders));
    WriteFile(withWebp, "# GdkPixbuf Image Loader Modules file\n\n" +
                            LoaderEntry("tiff", "\"image/tiff\"") +
                            LoaderEntry("webp", "\"image/webp\" \"audio/x-riff\""));
    // Another loader that merely names the WebP type is no WebP loader.
    WriteFile(withoutWebp, LoaderEntry("tiff", "\"image/tiff\" \"image/webp\""));
    WriteFile(loaders + QStringLiteral("/libpixbufloader-webp.so"), "");
    const QString missing = folder.filePath(QStringLiteral("missing.cache"));
    const struct {
        const char* Name;
        QString Cache, Folder;
        bool WebP;
    } cases[] = {
        {"cache with a WebP loader", withWebp, emptyLoaders, true},
        {"cache without one", withoutWebp, loaders, false},
        {"no cache, a WebP loader in the folder", missing, loaders, true},
        {"no cache, none in the folder", missing, emptyLoaders, false},
    };
    const TGSettingsWallpaper desktop(GnomeBackgroundSchema);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const TScopedVariable cache("GDK_PIXBUF_MODULE_FILE", c.Cache);
        const TScopedVariable moduleFolder("GDK_PIXBUF_MODULEDIR", c.Folder);
        EXPECT_EQ(desktop.AsIsExtensions().contains(QStringLiteral(".webp")), c.WebP);
    }
}

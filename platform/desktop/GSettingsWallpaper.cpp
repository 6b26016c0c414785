// GIO first: its headers use names that Qt defines as macros.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include "GSettingsWallpaper.h"

#include "GdkPixbufLoaders.h"

#include <QFile>

const TGSettingsSchema GnomeBackgroundSchema = {
    .Name = "gnome",
    .SchemaId = "org.gnome.desktop.background",
    .ImageKey = "picture-uri",
    .DarkImageKey = "picture-uri-dark",
    .ImageIsUri = true,
    .SlideshowId = nullptr,
};
const TGSettingsSchema MateBackgroundSchema = {
    .Name = "mate",
    .SchemaId = "org.mate.background",
    .ImageKey = "picture-filename",
    .DarkImageKey = nullptr,
    .ImageIsUri = false,
    .SlideshowId = nullptr,
};
const TGSettingsSchema CinnamonBackgroundSchema = {
    .Name = "cinnamon",
    .SchemaId = "org.cinnamon.desktop.background",
    .ImageKey = "picture-uri",
    .DarkImageKey = nullptr,
    .ImageIsUri = true,
    .SlideshowId = "org.cinnamon.desktop.background.slideshow",
};

namespace {
const char* const OptionsKey = "picture-options";
// The picture-options nick for the colours only, no picture.
const QByteArray NoPicture = QByteArrayLiteral("none");
const char* const SlideshowKey = "slideshow-enabled";
const TServiceStyles<QString> OptionNicks = {
    QStringLiteral("wallpaper"), QStringLiteral("centered"), QStringLiteral("stretched"),
    QStringLiteral("zoom"), QStringLiteral("scaled")};

// The installed schema when it has both keys, or null. Looking it up first matters: GIO aborts
// the process when asked for settings of a schema it does not know.
GSettingsSchema* LookupSchema(const char* id, const char* key, const char* otherKey) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* found =
        source && id ? g_settings_schema_source_lookup(source, id, TRUE) : nullptr;
    if (found && g_settings_schema_has_key(found, key) &&
        g_settings_schema_has_key(found, otherKey))
        return found;
    if (found)
        g_settings_schema_unref(found);
    return nullptr;
}

GSettingsSchema* LookupSchema(const TGSettingsSchema& schema) {
    return LookupSchema(schema.SchemaId, schema.ImageKey, OptionsKey);
}

// The settings of an installed schema (which they keep a reference to), or null.
GSettings* OpenSettings(GSettingsSchema* schema, GSettingsBackend* backend) {
    if (!schema)
        return nullptr;
    GSettings* settings = g_settings_new_full(schema, backend, nullptr);
    g_settings_schema_unref(schema);
    return settings;
}

QByteArray ReadString(GSettings* settings, const char* key) {
    gchar* value = g_settings_get_string(settings, key);
    const QByteArray text(value);
    g_free(value);
    return text;
}

// dconf, GIO's usual backend, reaches its service over the session bus; without an announced
// bus, GIO would launch one (and the dconf service on it) that outlive the program.
bool BackendNeedsMissingBus() {
    if (SessionBusAnnounced())
        return false;
    GSettingsBackend* backend = g_settings_backend_get_default();
    const bool dconf = QByteArray(G_OBJECT_TYPE_NAME(backend)).startsWith("DConf");
    g_object_unref(backend);
    return dconf;
}

} // namespace

QByteArray FileUri(const QString& fileName) {
    gchar* uri = g_filename_to_uri(QFile::encodeName(fileName).constData(), nullptr, nullptr);
    const QByteArray text(uri);
    g_free(uri);
    return text;
}

bool GSettingsSchemaInstalled(const TGSettingsSchema& schema) {
    GSettingsSchema* found = LookupSchema(schema);
    if (!found)
        return false;
    g_settings_schema_unref(found);
    return true;
}

TGSettingsWallpaper::TGSettingsWallpaper(const TGSettingsSchema& schema, GSettingsBackend* backend)
    : FSchema(schema) {
    if (!backend && BackendNeedsMissingBus()) {
        FUnavailable = QStringLiteral("no D-Bus session bus: the desktop's settings (dconf) "
                                      "cannot be reached without one");
        return;
    }
    GSettingsSchema* found = LookupSchema(schema);
    if (found && schema.DarkImageKey && g_settings_schema_has_key(found, schema.DarkImageKey))
        FDarkImageKey = schema.DarkImageKey;
    FSettings = OpenSettings(found, backend);
    FSlideshow =
        OpenSettings(LookupSchema(schema.SlideshowId, SlideshowKey, SlideshowKey), backend);
    if (FSettings)
        g_settings_delay(FSettings); // all keys go to the desktop in one change, or none
    else
        FUnavailable = QStringLiteral("the GSettings schema %1 with the keys %2 and %3 is not "
                                      "installed")
                           .arg(QLatin1String(schema.SchemaId), QLatin1String(schema.ImageKey),
                                QLatin1String(OptionsKey));
}

TGSettingsWallpaper::~TGSettingsWallpaper() {
    for (GSettings* settings : {FSettings, FSlideshow})
        if (settings)
            g_object_unref(settings);
}

QString TGSettingsWallpaper::Name() const {
    return QString::fromLatin1(FSchema.Name);
}

bool TGSettingsWallpaper::GetWallpaper(QString& fileName, TLxWallpaperStyle& style) {
    fileName.clear();
    style = wsCentered;
    if (!FSettings)
        return Failed(FUnavailable);
    TValues read;
    for (const QByteArray& key :
         {QByteArray(FSchema.ImageKey), FDarkImageKey, QByteArray(OptionsKey)})
        if (!key.isEmpty())
            read.append({key, ReadString(FSettings, key.constData())});
    // "none" shows the colours only, whatever picture the setting still names.
    if (read.last().second != NoPicture)
        fileName = FileNameFromSetting(QString::fromUtf8(read.first().second));
    style = StyleFromService(QString::fromUtf8(read.last().second), OptionNicks);
    FReported.Remember(fileName, style, read);
    return Succeeded();
}

bool TGSettingsWallpaper::SetWallpaper(const QString& fileName, TLxWallpaperStyle style) {
    if (!FSettings)
        return Failed(FUnavailable);
    const TValues values = ValuesFor(fileName, style);
    if (values.isEmpty())
        return Failed(QStringLiteral("%1 is not an absolute file name").arg(fileName));
    return Write(values);
}

QStringList TGSettingsWallpaper::AsIsExtensions() const {
    QStringList extensions = CommonAsIsExtensions();
    extensions << QStringLiteral(".png") << QStringLiteral(".svg") << QStringLiteral(".svgz")
               << QStringLiteral(".tif") << QStringLiteral(".tiff");
    if (GdkPixbufLoaderInstalled(QStringLiteral("webp")))
        extensions << QStringLiteral(".webp");
    return extensions;
}

TGSettingsWallpaper::TValues TGSettingsWallpaper::ValuesFor(const QString& fileName,
                                                            TLxWallpaperStyle style) const {
    if (const TValues* reported = FReported.Find(fileName, style))
        return *reported;
    // No picture: MATE names none, the others keep the name and show colours only.
    if (fileName.isEmpty())
        return FSchema.ImageIsUri ? TValues{{OptionsKey, NoPicture}}
                                  : TValues{{FSchema.ImageKey, {}}};
    const QByteArray image =
        FSchema.ImageIsUri && !fileName.isEmpty() ? FileUri(fileName) : fileName.toUtf8();
    if (image.isEmpty() && !fileName.isEmpty())
        return {};
    TValues values = {{FSchema.ImageKey, image}};
    if (!FDarkImageKey.isEmpty())
        values.append({FDarkImageKey, image});
    values.append({OptionsKey, StyleToService(style, OptionNicks).toLatin1()});
    return values;
}

bool TGSettingsWallpaper::Write(const TValues& values) {
    const QString schemaId = QLatin1String(FSchema.SchemaId);
    for (const auto& [key, value] : values)
        if (!g_settings_is_writable(FSettings, key.constData()))
            return Failed(QStringLiteral("the setting %1 %2 is locked").arg(schemaId, key));
    if (FSlideshow && !g_settings_is_writable(FSlideshow, SlideshowKey))
        return Failed(QStringLiteral("the setting %1 is locked").arg(SlideshowKey));
    for (const auto& [key, value] : values)
        if (!g_settings_set_string(FSettings, key.constData(), value.constData())) {
            g_settings_revert(FSettings);
            return Failed(QStringLiteral("the setting %1 %2 does not take %3")
                              .arg(schemaId, key, QString::fromUtf8(value)));
        }
    g_settings_apply(FSettings);
    // A running slideshow would replace the picture at its next turn.
    if (FSlideshow)
        g_settings_set_boolean(FSlideshow, SlideshowKey, FALSE);
    g_settings_sync();
    return Succeeded();
}

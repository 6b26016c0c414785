// GIO first: its headers use names that Qt defines as macros.
#include <gio/gio.h>

#include "GSettingsWallpaper.h"

#include <QUrl>

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
const char* const SlideshowKey = "slideshow-enabled";
const TServiceStyles<QString> OptionNicks = {
    QStringLiteral("wallpaper"), QStringLiteral("centered"), QStringLiteral("stretched")};

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
GSettings* OpenSettings(GSettingsSchema* schema) {
    if (!schema)
        return nullptr;
    GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
    return settings;
}

QString ReadString(GSettings* settings, const char* key) {
    gchar* value = g_settings_get_string(settings, key);
    const QString text = QString::fromUtf8(value);
    g_free(value);
    return text;
}
} // namespace

bool GSettingsSchemaInstalled(const TGSettingsSchema& schema) {
    GSettingsSchema* found = LookupSchema(schema);
    if (!found)
        return false;
    g_settings_schema_unref(found);
    return true;
}

TGSettingsWallpaper::TGSettingsWallpaper(const TGSettingsSchema& schema) : FSchema(schema) {
    GSettingsSchema* found = LookupSchema(schema);
    FHasDarkImage =
        found && schema.DarkImageKey && g_settings_schema_has_key(found, schema.DarkImageKey);
    FSettings = OpenSettings(found);
    FSlideshow = OpenSettings(LookupSchema(schema.SlideshowId, SlideshowKey, SlideshowKey));
}

TGSettingsWallpaper::~TGSettingsWallpaper() {
    for (GSettings* settings : {FSettings, FSlideshow})
        if (settings)
            g_object_unref(settings);
}

QString TGSettingsWallpaper::Name() const {
    return QString::fromLatin1(FSchema.Name);
}

bool TGSettingsWallpaper::GetWallpaper(QString& fileName, int& style) {
    fileName.clear();
    style = wsCentered;
    if (!FSettings)
        return false;
    fileName = FileNameFromSetting(ReadString(FSettings, FSchema.ImageKey));
    style = StyleFromService(ReadString(FSettings, OptionsKey), OptionNicks);
    return true;
}

bool TGSettingsWallpaper::SetWallpaper(const QString& fileName, int style) {
    if (!FSettings)
        return false;
    const QByteArray image = FSchema.ImageIsUri && !fileName.isEmpty()
                                 ? QUrl::fromLocalFile(fileName).toEncoded()
                                 : fileName.toUtf8();
    bool written = g_settings_set_string(FSettings, FSchema.ImageKey, image.constData());
    if (written && FHasDarkImage)
        written = g_settings_set_string(FSettings, FSchema.DarkImageKey, image.constData());
    if (written) {
        const QByteArray nick = StyleToService(style, OptionNicks).toLatin1();
        written = g_settings_set_string(FSettings, OptionsKey, nick.constData());
    }
    // A running slideshow would replace the picture at its next turn.
    if (written && FSlideshow)
        written = g_settings_set_boolean(FSlideshow, SlideshowKey, FALSE);
    g_settings_sync();
    return written;
}

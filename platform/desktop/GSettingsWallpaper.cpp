// GIO first: its headers use names that Qt defines as macros.
#include <gio/gio.h>

#include "GSettingsWallpaper.h"

#include <QUrl>

const TGSettingsSchema GnomeBackgroundSchema = {"gnome", "org.gnome.desktop.background",
                                                "picture-uri", "picture-uri-dark", true};
const TGSettingsSchema MateBackgroundSchema = {"mate", "org.mate.background", "picture-filename",
                                               nullptr, false};
const TGSettingsSchema CinnamonBackgroundSchema = {"cinnamon", "org.cinnamon.desktop.background",
                                                   "picture-uri", nullptr, true};

namespace {
const char* const OptionsKey = "picture-options";
const TServiceStyles<QString> OptionNicks = {
    QStringLiteral("wallpaper"), QStringLiteral("centered"), QStringLiteral("stretched")};

// The installed schema, or null. Looking it up first matters: GIO aborts the process when asked
// for settings of a schema it does not know.
GSettingsSchema* LookupSchema(const TGSettingsSchema& schema) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return nullptr;
    GSettingsSchema* found = g_settings_schema_source_lookup(source, schema.SchemaId, TRUE);
    if (found && g_settings_schema_has_key(found, schema.ImageKey) &&
        g_settings_schema_has_key(found, OptionsKey))
        return found;
    if (found)
        g_settings_schema_unref(found);
    return nullptr;
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
    if (!found)
        return;
    FHasDarkImage = schema.DarkImageKey && g_settings_schema_has_key(found, schema.DarkImageKey);
    FSettings = g_settings_new_full(found, nullptr, nullptr);
    g_settings_schema_unref(found);
}

TGSettingsWallpaper::~TGSettingsWallpaper() {
    if (FSettings)
        g_object_unref(FSettings);
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
    g_settings_sync();
    return written;
}

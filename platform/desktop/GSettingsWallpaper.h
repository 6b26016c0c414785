#pragma once
// The wallpaper of the GSettings desktops: GNOME and its relatives (Ubuntu, Budgie, Unity,
// Pantheon), MATE and Cinnamon. They differ only in the schema and the keys, described by
// TGSettingsSchema.

#include "DesktopWallpaper.h"

#include <QByteArray>
#include <QList>
#include <QPair>

struct _GSettings;
struct _GSettingsBackend;

// Where one desktop family keeps its wallpaper.
struct TGSettingsSchema {
    const char* Name;         // the adapter name ("gnome", "mate", "cinnamon")
    const char* SchemaId;     // e.g. "org.gnome.desktop.background"
    const char* ImageKey;     // the picture key
    const char* DarkImageKey; // the dark-mode picture key, set too when the schema has it; or null
    bool ImageIsUri;          // file URI ("file:///...") rather than a plain path
    const char* SlideshowId;  // a slideshow schema whose "slideshow-enabled" would override the
                              // picture, switched off on set; or null
};

extern const TGSettingsSchema GnomeBackgroundSchema;
extern const TGSettingsSchema MateBackgroundSchema;
extern const TGSettingsSchema CinnamonBackgroundSchema;

// True when the schema is installed and has the schema's picture and "picture-options" keys.
bool GSettingsSchemaInstalled(const TGSettingsSchema& schema);

// The file URI of a local file name, made from its bytes ("file:///a%20b.jpg"); empty when the
// name is not absolute.
QByteArray FileUri(const QString& fileName);

class TGSettingsWallpaper : public IDesktopWallpaper {
public:
    // Opens the schema's settings in the given backend (null: GIO's default) when the schema
    // is installed. Every call fails when it is not, or when the default backend is dconf and
    // no session bus is announced: dconf would have GIO launch a bus that outlives us.
    explicit TGSettingsWallpaper(const TGSettingsSchema& schema,
                                 _GSettingsBackend* backend = nullptr);
    ~TGSettingsWallpaper() override;
    TGSettingsWallpaper(const TGSettingsWallpaper&) = delete;
    TGSettingsWallpaper& operator=(const TGSettingsWallpaper&) = delete;

    QString Name() const override;
    // Reads the picture key (a file URI or a bare path) and "picture-options", and remembers
    // every key it read (the dark picture too) with the file and style reported.
    bool GetWallpaper(QString& fileName, TLxWallpaperStyle& style) override;
    // Writes the picture key (and the dark one) and "picture-options" in one change, switches a
    // slideshow off, and syncs the backend. Asked for a file and style that a GetWallpaper
    // reported, writes back the keys it read then as they were (a dark picture of its
    // own, options such as "spanned"). False, with nothing written, when the schema is missing
    // or a key is not writable.
    bool SetWallpaper(const QString& fileName, TLxWallpaperStyle style) override;
    // What GdkPixbuf reads, with which these desktops draw their background: PNG, JPEG, SVG,
    // TIFF, and WebP where its loader is installed.
    QStringList AsIsExtensions() const override;

private:
    using TValues = QList<QPair<QByteArray, QByteArray>>; // key, string value
    // The keys and values that make the file and style the wallpaper: the remembered set when
    // they are what a GetWallpaper reported; empty when the name cannot be a file URI.
    TValues ValuesFor(const QString& fileName, TLxWallpaperStyle style) const;
    // Writes the values in one change after checking every key is writable; false, with the
    // reason in LastError and nothing written, otherwise.
    bool Write(const TValues& values);

    const TGSettingsSchema& FSchema;
    _GSettings* FSettings = nullptr;
    _GSettings* FSlideshow = nullptr;
    QByteArray FDarkImageKey; // empty when the schema has none
    QString FUnavailable;     // why every call fails, when FSettings is null
    // What each GetWallpaper read, by the file and style it reported.
    TReportedSettings<TValues> FReported;
};

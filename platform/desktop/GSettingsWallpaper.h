#pragma once
// The wallpaper of the GSettings desktops: GNOME and its relatives (Ubuntu, Budgie, Unity,
// Pantheon), MATE and Cinnamon. They differ only in the schema and the keys, described by
// TGSettingsSchema.

#include "DesktopWallpaper.h"

struct _GSettings;

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

class TGSettingsWallpaper : public IDesktopWallpaper {
public:
    // Opens the schema's settings when the schema is installed; otherwise every call fails.
    explicit TGSettingsWallpaper(const TGSettingsSchema& schema);
    ~TGSettingsWallpaper() override;
    TGSettingsWallpaper(const TGSettingsWallpaper&) = delete;
    TGSettingsWallpaper& operator=(const TGSettingsWallpaper&) = delete;

    QString Name() const override;
    // Reads the picture key (a file URI or a bare path) and "picture-options".
    bool GetWallpaper(QString& fileName, int& style) override;
    // Writes the picture key (and the dark one), "picture-options", switches a slideshow off,
    // and syncs the backend. False when the schema is missing or a key is not writable.
    bool SetWallpaper(const QString& fileName, int style) override;

private:
    const TGSettingsSchema& FSchema;
    _GSettings* FSettings = nullptr;
    _GSettings* FSlideshow = nullptr;
    bool FHasDarkImage = false;
};

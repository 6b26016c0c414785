#pragma once
// The wallpaper of a plain X11 session: a pixmap as the root window's background, named by the
// _XROOTPMAP_ID and ESETROOT_PMAP_ID properties so that other programs (terminals with
// transparency, the next wallpaper setter) find it. The server cannot tell which file it came
// from, so the last choice is kept in the state file.

#include "WallpaperState.h"

class TRootWindowWallpaper : public TStateFileWallpaper {
public:
    // Works on the given X display (empty: $DISPLAY); keeps the state file in the given folder.
    TRootWindowWallpaper(const QString& displayName, const QString& stateFolder);

    QString Name() const override;
    // Loads the picture, lays it out over every screen of the display, makes that the root
    // background (kept after we exit; the previous one of ours is freed) and keeps the choice.
    // False when the picture cannot be read, the display cannot be opened, or its pixel format
    // is not 32-bit true colour.
    bool SetWallpaper(const QString& fileName, TLxWallpaperStyle style) override;
    // What Qt's readers always decode here, beyond BMP and JPEG: PNG. (GIF goes through the
    // cache as everywhere, so that every desktop shows the same first frame.)
    QStringList AsIsExtensions() const override;

private:
    QString FDisplayName;
};

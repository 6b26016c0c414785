#pragma once
// The wallpaper of a plain X11 session: a pixmap as the root window's background, named by the
// _XROOTPMAP_ID and ESETROOT_PMAP_ID properties so that other programs (terminals with
// transparency, the next wallpaper setter) find it. The server cannot tell which file it came
// from: a note on the root window names the file of the pixmap we set, and the last choice is
// kept in the state file for the next login. A picture another program set is copied, so that
// it can be put back exactly as it was shown.

#include "WallpaperState.h"

#include <QImage>

struct xcb_connection_t;

class TRootWindowWallpaper : public TStateFileWallpaper {
public:
    // Works on the given X display (empty: $DISPLAY); keeps the state file in the given folder.
    TRootWindowWallpaper(const QString& displayName, const QString& stateFolder);

    QString Name() const override;
    // What the first screen shows: the file and style of the pixmap we set; an empty name for a
    // plain background; for another program's picture the file it wrote down (feh, nitrogen)
    // or else a copy of its pixels, written as desktop-startup.png into the state folder.
    // False when the display cannot be opened, or a foreign picture is neither named nor copied.
    bool GetWallpaper(QString& fileName, TLxWallpaperStyle& style) override;
    // Loads the picture (for another program's picture that GetWallpaper reported: its copy,
    // centred), lays it out over every screen of the display, makes that the root background
    // (kept after we exit; the previous one of ours is freed) and keeps the choice. An empty
    // name leaves a plain black background. False when the picture cannot be read, the display
    // cannot be opened, or its pixel format is not 32-bit true colour. A state file that cannot
    // be written does not undo what the screen shows: true, with the reason in LastNotice.
    bool SetWallpaper(const QString& fileName, TLxWallpaperStyle style) override;
    // What Qt's readers always decode here, beyond BMP and JPEG: PNG. (GIF goes through the
    // cache as everywhere, so that every desktop shows the same first frame.)
    QStringList AsIsExtensions() const override;

private:
    // A new connection to the display, or null with the reason in LastError.
    xcb_connection_t* Connect();
    bool ReadForeignWallpaper(const QImage& shown, QString& fileName, TLxWallpaperStyle& style);
    bool ClearWallpaper();
    // Keeps the choice in the state file for the next login.
    bool Keep(const QString& fileName, TLxWallpaperStyle style);

    QString FDisplayName;
    // The copies of other programs' pictures, by the file and style reported for them.
    TReportedSettings<QString> FForeign;
};

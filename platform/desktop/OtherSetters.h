#pragma once
// What the other wallpaper setters of plain X sessions write down about the picture they put on
// the root window, so that it comes back at login: feh's ~/.fehbg script and nitrogen's
// bg-saved.cfg. The X server only holds the pixels; these name the file.

#include "DesktopWallpaper.h"

#include <QByteArray>
#include <QString>

// The file and style of the setter that wrote last, from $HOME/.fehbg and
// $XDG_CONFIG_HOME/nitrogen/bg-saved.cfg; false, leaving both untouched, when neither exists or
// names a file.
bool ReadOtherSetterChoice(QString& fileName, TLxWallpaperStyle& style);
// The first picture of a ~/.fehbg script ("feh --no-fehbg --bg-scale '/a/b.jpg'", shell
// quoting undone) and its style: --bg-tile tiled, --bg-scale stretched, --bg-fill zoomed, --bg-max
// scaled, any other centred. False
// when no feh line with a --bg- option and a file is found.
bool ParseFehbg(const QByteArray& script, QString& fileName, TLxWallpaperStyle& style);
// The file and style of the first section of nitrogen's bg-saved.cfg that names a file: mode 1
// tiled, 0 (scaled) stretched, 5 (zoom fill) zoomed, 3 (zoom) scaled, any other centred. False when
// no section does.
bool ParseNitrogenSaved(const QByteArray& config, QString& fileName, TLxWallpaperStyle& style);

#pragma once
// The KDE Plasma desktop's wallpaper: set through the shell's scripting call on D-Bus, read from
// its desktop layout file.

#include "DesktopWallpaper.h"

#include <QDBusConnection>

class TPlasmaWallpaper : public IDesktopWallpaper {
public:
    // Talks to org.kde.plasmashell on the given bus; reads the layout file from the given
    // configuration folder (normally the user's XDG configuration home).
    TPlasmaWallpaper(const QDBusConnection& bus, const QString& configFolder);

    QString Name() const override;
    // Reads plasma-org.kde.plasma.desktop-appletsrc. False when it is missing or names no
    // picture wallpaper.
    bool GetWallpaper(QString& fileName, TLxWallpaperStyle& style) override;
    // Asks the shell to give every desktop the picture wallpaper with this file and fill mode.
    // False when the shell does not answer or reports a script error.
    bool SetWallpaper(const QString& fileName, TLxWallpaperStyle style) override;
    // What Plasma's picture wallpaper reads: PNG, JPEG, SVG and WebP.
    QStringList AsIsExtensions() const override;

private:
    QDBusConnection FBus;
    QString FConfigFolder;
};

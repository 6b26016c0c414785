#pragma once
// The XFCE desktop's wallpaper: the "last-image" and "image-style" properties of every monitor
// and workspace in the xfconf channel "xfce4-desktop", reached over D-Bus.

#include "DesktopWallpaper.h"

#include <QDBusConnection>
#include <QStringList>

class TXfconfWallpaper : public IDesktopWallpaper {
public:
    // Talks to org.xfce.Xfconf on the given bus. The monitor names (screen names as the
    // windowing system gives them) are used only when the channel has no wallpaper yet.
    TXfconfWallpaper(const QDBusConnection& bus, const QStringList& monitorNames);

    QString Name() const override;
    // Reads the first (in name order) monitor and workspace that has a "last-image", and
    // remembers every monitor's and workspace's picture and style. False when xfconf does not
    // answer or no wallpaper has been set yet.
    bool GetWallpaper(QString& fileName, TLxWallpaperStyle& style) override;
    // Writes every existing "last-image" and its "image-style"; when there is none, creates them
    // for workspace 0 of every monitor. Asked for a file and style that a GetWallpaper reported,
    // writes back each one's own values as read then. False when xfconf does not answer or
    // refuses a property.
    bool SetWallpaper(const QString& fileName, TLxWallpaperStyle style) override;
    // What xfdesktop draws itself: PNG, JPEG and SVG.
    QStringList AsIsExtensions() const override;

private:
    // Both give back false with the reason in LastError.
    bool ReadChannel(QVariantMap& properties);
    bool SetProperty(const QString& property, const QVariant& value);

    QDBusConnection FBus;
    QStringList FMonitorNames;
    // What each GetWallpaper read (pictures and styles by property), by what it reported.
    TReportedSettings<QVariantMap> FReported;
};

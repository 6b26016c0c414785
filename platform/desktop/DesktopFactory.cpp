#include "DesktopFactory.h"

#include "GSettingsWallpaper.h"
#include "PlasmaWallpaper.h"
#include "RootWindowWallpaper.h"
#include "SwaybgWallpaper.h"
#include "UserFolders.h"
#include "XfconfWallpaper.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QScreen>

namespace {
// What is left when no desktop could be found: nothing can be read or set.
class TNoDesktopWallpaper : public IDesktopWallpaper {
public:
    QString Name() const override { return DesktopKindName(TDesktopKind::None); }
    bool GetWallpaper(QString& fileName, TLxWallpaperStyle& style) override {
        fileName.clear();
        style = wsCentered;
        return Failed(Reason());
    }
    bool SetWallpaper(const QString&, TLxWallpaperStyle) override { return Failed(Reason()); }

private:
    static QString Reason() {
        return QStringLiteral("no supported desktop was found (XDG_CURRENT_DESKTOP, a Wayland "
                              "compositor or an X display)");
    }
};

bool VariableSet(const char* name) {
    return !qEnvironmentVariableIsEmpty(name);
}

// The session bus when one is announced, else an unconnected bus.
QDBusConnection SessionBus() {
    return SessionBusAnnounced() ? QDBusConnection::sessionBus() : QDBusConnection(QString());
}

// The screen names, when this process has a windowing connection to ask.
QStringList MonitorNames() {
    QStringList names;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        for (const QScreen* screen : QGuiApplication::screens())
            names << screen->name();
    return names;
}
} // namespace

TDesktopSnapshot ReadDesktopSnapshot() {
    TDesktopSnapshot snapshot;
    snapshot.CurrentDesktops =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    snapshot.SessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
    snapshot.DesktopSession = qEnvironmentVariable("DESKTOP_SESSION");
    snapshot.KdeFullSession = qEnvironmentVariable("KDE_FULL_SESSION") == QLatin1String("true");
    snapshot.WaylandDisplay = VariableSet("WAYLAND_DISPLAY");
    snapshot.SwaySocket = VariableSet("SWAYSOCK");
    snapshot.X11Display = VariableSet("DISPLAY");
    const QDBusConnection bus = SessionBus();
    if (bus.isConnected() && bus.interface())
        for (const QString& name : DesktopBusNames())
            if (bus.interface()->isServiceRegistered(name))
                snapshot.BusNames.insert(name);
    const QList<QPair<TDesktopKind, const TGSettingsSchema*>> schemas = {
        {TDesktopKind::Gnome, &GnomeBackgroundSchema},
        {TDesktopKind::Mate, &MateBackgroundSchema},
        {TDesktopKind::Cinnamon, &CinnamonBackgroundSchema}};
    for (const auto& [kind, schema] : schemas)
        if (GSettingsSchemaInstalled(*schema))
            snapshot.Schemas.insert(kind);
    return snapshot;
}

QString DefaultStateFolder() {
    return UserDataFolder() + QStringLiteral("/Ornwick/Velloria/");
}

std::unique_ptr<IDesktopWallpaper> CreateDesktopWallpaper(TDesktopKind kind,
                                                          const QString& stateFolder) {
    switch (kind) {
    case TDesktopKind::Gnome:
        return std::make_unique<TGSettingsWallpaper>(GnomeBackgroundSchema);
    case TDesktopKind::Mate:
        return std::make_unique<TGSettingsWallpaper>(MateBackgroundSchema);
    case TDesktopKind::Cinnamon:
        return std::make_unique<TGSettingsWallpaper>(CinnamonBackgroundSchema);
    case TDesktopKind::Xfce:
        return std::make_unique<TXfconfWallpaper>(SessionBus(), MonitorNames());
    case TDesktopKind::Kde:
        return std::make_unique<TPlasmaWallpaper>(SessionBus(), UserConfigFolder());
    case TDesktopKind::Sway:
        return std::make_unique<TSwaybgWallpaper>(std::make_unique<TDetachedProcessRunner>(),
                                                  stateFolder);
    case TDesktopKind::X11Root:
        return std::make_unique<TRootWindowWallpaper>(QString(), stateFolder);
    case TDesktopKind::None:
        break;
    }
    return std::make_unique<TNoDesktopWallpaper>();
}

std::unique_ptr<IDesktopWallpaper> CreateDesktopWallpaper() {
    return CreateDesktopWallpaper(DetectDesktop(ReadDesktopSnapshot()), DefaultStateFolder());
}

#include "DesktopDetection.h"

#include <QHash>
#include <QList>
#include <QPair>

namespace {
// XDG_CURRENT_DESKTOP names (case as the desktops write them).
const QHash<QString, TDesktopKind> DesktopNames = {
    {QStringLiteral("GNOME"), TDesktopKind::Gnome},
    {QStringLiteral("GNOME-Classic"), TDesktopKind::Gnome},
    {QStringLiteral("GNOME-Flashback"), TDesktopKind::Gnome},
    {QStringLiteral("ubuntu"), TDesktopKind::Gnome},
    {QStringLiteral("Budgie"), TDesktopKind::Gnome},
    {QStringLiteral("Pantheon"), TDesktopKind::Gnome},
    {QStringLiteral("Unity"), TDesktopKind::Gnome},
    {QStringLiteral("MATE"), TDesktopKind::Mate},
    {QStringLiteral("X-Cinnamon"), TDesktopKind::Cinnamon},
    {QStringLiteral("Cinnamon"), TDesktopKind::Cinnamon},
    {QStringLiteral("XFCE"), TDesktopKind::Xfce},
    {QStringLiteral("KDE"), TDesktopKind::Kde},
    {QStringLiteral("sway"), TDesktopKind::Sway},
    {QStringLiteral("wlroots"), TDesktopKind::Sway},
    {QStringLiteral("Hyprland"), TDesktopKind::Sway},
    {QStringLiteral("river"), TDesktopKind::Sway},
};

// DESKTOP_SESSION names of the login entries.
const QHash<QString, TDesktopKind> SessionNames = {
    {QStringLiteral("gnome"), TDesktopKind::Gnome},
    {QStringLiteral("gnome-xorg"), TDesktopKind::Gnome},
    {QStringLiteral("ubuntu"), TDesktopKind::Gnome},
    {QStringLiteral("budgie-desktop"), TDesktopKind::Gnome},
    {QStringLiteral("pantheon"), TDesktopKind::Gnome},
    {QStringLiteral("mate"), TDesktopKind::Mate},
    {QStringLiteral("cinnamon"), TDesktopKind::Cinnamon},
    {QStringLiteral("cinnamon2d"), TDesktopKind::Cinnamon},
    {QStringLiteral("xfce"), TDesktopKind::Xfce},
    {QStringLiteral("xubuntu"), TDesktopKind::Xfce},
    {QStringLiteral("plasma"), TDesktopKind::Kde},
    {QStringLiteral("plasmawayland"), TDesktopKind::Kde},
    {QStringLiteral("plasmax11"), TDesktopKind::Kde},
    {QStringLiteral("sway"), TDesktopKind::Sway},
};

// In order of preference, should several answer.
const QList<QPair<QString, TDesktopKind>> BusNameKinds = {
    {QStringLiteral("org.kde.plasmashell"), TDesktopKind::Kde},
    {QStringLiteral("org.gnome.Shell"), TDesktopKind::Gnome},
    {QStringLiteral("org.xfce.xfdesktop"), TDesktopKind::Xfce},
};

bool Usable(TDesktopKind kind, const TDesktopSnapshot& snapshot) {
    switch (kind) {
    case TDesktopKind::None:
        return false;
    case TDesktopKind::Gnome:
    case TDesktopKind::Mate:
    case TDesktopKind::Cinnamon:
        return snapshot.Schemas.contains(kind);
    default:
        return true;
    }
}

bool WaylandSession(const TDesktopSnapshot& snapshot) {
    if (snapshot.SessionType == QLatin1String("wayland"))
        return true;
    return snapshot.WaylandDisplay && snapshot.SessionType != QLatin1String("x11");
}
} // namespace

QStringList DesktopBusNames() {
    QStringList names;
    for (const auto& [name, kind] : BusNameKinds)
        names << name;
    return names;
}

TDesktopKind DetectDesktop(const TDesktopSnapshot& snapshot) {
    for (const QString& name : snapshot.CurrentDesktops) {
        const TDesktopKind kind = DesktopNames.value(name, TDesktopKind::None);
        if (Usable(kind, snapshot))
            return kind;
    }
    TDesktopKind hinted = SessionNames.value(snapshot.DesktopSession, TDesktopKind::None);
    if (hinted == TDesktopKind::None && snapshot.KdeFullSession)
        hinted = TDesktopKind::Kde;
    if (hinted == TDesktopKind::None && snapshot.SwaySocket)
        hinted = TDesktopKind::Sway;
    if (Usable(hinted, snapshot))
        return hinted;
    for (const auto& [name, kind] : BusNameKinds)
        if (snapshot.BusNames.contains(name) && Usable(kind, snapshot))
            return kind;
    if (snapshot.X11Display && !WaylandSession(snapshot))
        return TDesktopKind::X11Root;
    return TDesktopKind::None;
}

QString DesktopKindName(TDesktopKind kind) {
    switch (kind) {
    case TDesktopKind::Gnome:
        return QStringLiteral("gnome");
    case TDesktopKind::Mate:
        return QStringLiteral("mate");
    case TDesktopKind::Cinnamon:
        return QStringLiteral("cinnamon");
    case TDesktopKind::Xfce:
        return QStringLiteral("xfce");
    case TDesktopKind::Kde:
        return QStringLiteral("kde");
    case TDesktopKind::Sway:
        return QStringLiteral("sway");
    case TDesktopKind::X11Root:
        return QStringLiteral("x11-root");
    case TDesktopKind::None:
        break;
    }
    return QStringLiteral("none");
}

#pragma once
// Which desktop family the session runs, decided from a snapshot of what the session shows,
// so that the decision can be made (and tested) without a desktop.

#include <QSet>
#include <QString>
#include <QStringList>

enum class TDesktopKind { None, Gnome, Mate, Cinnamon, Xfce, Kde, Sway, X11Root };

// What the session shows of itself.
struct TDesktopSnapshot {
    QStringList CurrentDesktops; // XDG_CURRENT_DESKTOP split at ":"
    QString SessionType;         // XDG_SESSION_TYPE: "x11", "wayland", "tty" or empty
    QString DesktopSession;      // DESKTOP_SESSION, the login entry's name
    bool KdeFullSession = false; // KDE_FULL_SESSION is "true"
    bool WaylandDisplay = false; // WAYLAND_DISPLAY is set
    bool SwaySocket = false;     // SWAYSOCK is set
    bool X11Display = false;     // DISPLAY is set
    QSet<QString> BusNames;      // the desktop shells' D-Bus names that answer (DesktopBusNames)
    QSet<TDesktopKind> Schemas;  // the GSettings families whose schema is installed
};

// The D-Bus names whose presence tells a desktop apart when the variables do not.
QStringList DesktopBusNames();

// The adapter kind for the snapshot: first the XDG_CURRENT_DESKTOP names in order, then the
// login entry's name and SWAYSOCK, then the shells that answer on D-Bus, then a plain X11
// session. A GSettings family counts only when its schema is installed. A Wayland session of
// an unknown compositor gives None: its X display (Xwayland) shows no root window.
TDesktopKind DetectDesktop(const TDesktopSnapshot& snapshot);

// "gnome", "mate", "cinnamon", "xfce", "kde", "sway", "x11-root" or "none".
QString DesktopKindName(TDesktopKind kind);

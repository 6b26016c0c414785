#pragma once
// The environment of a private desktop session for a program under test or benchmark: its own
// HOME and XDG folders, its own X server, and nothing of the caller's desktop or session bus.

#include <QProcessEnvironment>
#include <QString>

// The caller's environment with HOME and the XDG folders under home, DISPLAY set to display,
// the xcb platform, no session bus, and the variables that name a desktop removed.
inline QProcessEnvironment PrivateSessionEnvironment(const QString& home, const QString& display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "WAYLAND_DISPLAY",
                             "SWAYSOCK", "GNOME_DESKTOP_SESSION_ID", "KDE_FULL_SESSION"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home);
    env.insert(QStringLiteral("DISPLAY"), display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
    return env;
}

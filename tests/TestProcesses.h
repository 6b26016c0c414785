#pragma once
// Finding processes a program under test started and left running, by a marker variable that
// the test puts in the program's environment (children inherit it).

#include <QDir>
#include <QFile>
#include <QStringList>

// The bus and settings services (dbus-launch, dbus-daemon, dconf-service) still running with the
// marker ("NAME=value") in their environment, as "name pid".
inline QStringList LeftBehind(const QByteArray& marker) {
    QStringList found;
    const QStringList names = {QStringLiteral("dbus-launch"), QStringLiteral("dbus-daemon"),
                               QStringLiteral("dconf-service")};
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (!comm.open(QIODevice::ReadOnly) || !environ.open(QIODevice::ReadOnly))
            continue;
        const QString name = QString::fromLocal8Bit(comm.readAll().trimmed());
        if (names.contains(name) && environ.readAll().split('\0').contains(marker))
            found << name + QLatin1Char(' ') + pid;
    }
    return found;
}

// velloria-volumes: prints the mounted volumes as the folder navigator's drive combo sees them,
// one line each: mount point, drive type, file-system type and display name, separated by tabs.
// The main window lists the fixed, network and CD-ROM volumes; kernel file systems (proc, sysfs,
// cgroup, ...) are never volumes. A tab, newline or backslash in a name is written as "\" and
// three octal digits, as the mount table writes them.
#include "Volumes.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {
QString TypeName(TDriveType type) {
    switch (type) {
    case dtRemovable:
        return QStringLiteral("removable");
    case dtFixed:
        return QStringLiteral("fixed");
    case dtRemote:
        return QStringLiteral("network");
    case dtCDROM:
        return QStringLiteral("cdrom");
    case dtRamDisk:
        return QStringLiteral("ramdisk");
    case dtUnknown:
        break;
    }
    return QStringLiteral("unknown");
}

QString Escaped(QString text) {
    return text.replace(QLatin1Char('\\'), QLatin1String("\\134"))
        .replace(QLatin1Char('\t'), QLatin1String("\\011"))
        .replace(QLatin1Char('\n'), QLatin1String("\\012"));
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (app.arguments().size() > 1) {
        QTextStream(stderr) << "usage: velloria-volumes\n";
        return 2;
    }
    const QList<TVolume> volumes = MountedVolumes();
    if (volumes.isEmpty()) {
        QTextStream(stderr) << "velloria-volumes: cannot read the mount table "
                               "/proc/self/mountinfo\n";
        return 1;
    }
    QTextStream out(stdout);
    for (const TVolume& volume : volumes)
        out << Escaped(volume.MountPoint) << '\t' << TypeName(volume.Type) << '\t'
            << Escaped(volume.FileSystemType) << '\t' << Escaped(volume.DisplayName) << '\n';
    return 0;
}

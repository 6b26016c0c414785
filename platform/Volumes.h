#pragma once
// The mounted volumes that stand in for drives: read from /proc/self/mountinfo, classified by
// file-system type and device, pseudo file systems left out; and a watcher that says when the
// mount table changed.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QFile;
class QSocketNotifier;

// The kinds of drive a volume can be.
enum TDriveType { dtUnknown, dtRemovable, dtFixed, dtRemote, dtCDROM, dtRamDisk };

// One mounted volume. Its mount point is the drive's name and its root folder.
struct TVolume {
    QString MountPoint;
    QString FileSystemType;
    QString Source;
    TDriveType Type = dtUnknown;
    // The volume's label, or its mount point when it has none.
    QString DisplayName;
};

// What the mount table does not say about a volume: whether its block device ("major:minor") is
// removable, and the label of a device (its path, "/dev/sdb1"), empty when it has none.
struct TVolumeFacts {
    std::function<bool(const QString& device)> IsRemovable;
    std::function<QString(const QString& source)> Label;
};

// The facts as this system reports them: /sys/dev/block/<major:minor>/removable (of the disk
// for a partition) and the names in /dev/disk/by-label. A fact that cannot be read is false or
// empty.
TVolumeFacts SystemVolumeFacts();

// The volumes of a mountinfo text in its order, pseudo file systems (proc, sysfs, cgroup, devpts,
// ...) dropped; octal escapes ("\040") in paths decoded. When a mount point appears twice, the
// later mount (the one on top) replaces the earlier one in its place. Malformed lines are
// skipped.
QList<TVolume> ParseMountInfo(const QByteArray& text, const TVolumeFacts& facts);

// Puts a fixed volume "/" first when the list has none: in a chroot, or a container whose root is
// no mount of its own, the mount table does not show "/", yet it is still the drive of every path
// outside the mounts.
void AddRootVolume(QList<TVolume>& volumes);

// The volumes mounted for this process, without the local mounts whose mount point is no folder
// (a single file bound into a container), "/" always among them. Only "/" when
// /proc/self/mountinfo cannot be read.
QList<TVolume> MountedVolumes();

// The mount point among the volumes that is the longest prefix of the absolute path, compared
// by whole names ("/mnt/a" is not a prefix of "/mnt/ab"); "/" when none is.
QString DriveOfPath(const QList<TVolume>& volumes, const QString& path);

// Watches the mount table of this process: emits VolumesChanged after a volume was mounted or
// unmounted, from the event loop. Watches nothing (and never emits) when the mount table
// cannot be opened.
class TVolumeWatcher : public QObject {
    Q_OBJECT
public:
    explicit TVolumeWatcher(QObject* parent = nullptr);
    ~TVolumeWatcher() override;

signals:
    void VolumesChanged();

private:
    std::unique_ptr<QFile> FMountInfo;
    std::unique_ptr<QSocketNotifier> FNotifier;
};

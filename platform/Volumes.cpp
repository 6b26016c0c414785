#include "Volumes.h"

#include "AppShell.h"
#include "AtomicFile.h"
#include "Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSocketNotifier>
#include <algorithm>

namespace {
// File systems that hold no user's files: the kernel's views of itself and the like.
const QSet<QString> PseudoTypes = {
    "proc",       "sysfs",          "cgroup",    "cgroup2",    "devpts",          "devtmpfs",
    "mqueue",     "debugfs",        "tracefs",   "securityfs", "pstore",          "bpf",
    "configfs",   "fusectl",        "hugetlbfs", "autofs",     "binfmt_misc",     "efivarfs",
    "rpc_pipefs", "nsfs",           "selinuxfs", "nfsd",       "fuse.gvfsd-fuse", "fuse.portal",
    "fuse.lxcfs", "fuse.doc-portal"};
const QSet<QString> RemoteTypes = {
    "nfs",   "nfs4",       "cifs",        "smb3",      "smbfs",         "ncpfs",
    "9p",    "afs",        "ceph",        "glusterfs", "sshfs",         "fuse.sshfs",
    "davfs", "fuse.davfs", "fuse.rclone", "fuse.s3fs", "fuse.glusterfs"};
const QSet<QString> CDROMTypes = {"iso9660", "udf"};
const QSet<QString> RamDiskTypes = {"tmpfs", "ramfs"};
// Local disk file systems whose device number names no block device.
const QSet<QString> DiskTypesWithoutDevice = {"overlay",  "btrfs", "zfs",
                                              "bcachefs", "aufs",  "fuseblk"};

// The byte that the escape at position i ("\ooo" or "\xhh") stands for, or -1 when none is there.
int EscapedByte(const QByteArray& text, qsizetype i, int base) {
    if (text[i] != '\\' || i + 3 >= text.size())
        return -1;
    const QByteArray code = text.mid(i + 1, 3);
    bool ok = false;
    const int value = base == 16 && code.startsWith('x') ? code.mid(1).toInt(&ok, 16)
                      : base == 8                        ? code.toInt(&ok, 8)
                                                         : -1;
    return ok && value >= 0 && value < 256 ? value : -1;
}

// Decodes "\ooo" (octal, as mountinfo writes space, tab, newline and backslash in paths) or
// "\xhh" (hexadecimal, as udev writes unsafe characters of a label) in the bytes.
QString DecodeEscapes(const QByteArray& text, int base) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int value = EscapedByte(text, i, base);
        bytes.append(value < 0 ? text[i] : char(value));
        if (value >= 0)
            i += 3;
    }
    return QFile::decodeName(bytes);
}

QString DecodeOctal(const QByteArray& field) {
    return DecodeEscapes(field, 8);
}

TDriveType Classify(const QString& type, const QString& source, const QString& device,
                    const TVolumeFacts& facts) {
    if (RemoteTypes.contains(type))
        return dtRemote;
    if (CDROMTypes.contains(type) || source.startsWith(QLatin1String("/dev/sr")))
        return dtCDROM;
    if (RamDiskTypes.contains(type))
        return dtRamDisk;
    if (!device.startsWith(QLatin1String("0:")))
        return facts.IsRemovable(device) ? dtRemovable : dtFixed;
    return DiskTypesWithoutDevice.contains(type) ? dtFixed : dtUnknown;
}

struct TMountLine {
    QByteArray Id, ParentId;
    TVolume Volume;
    bool Pseudo = false;
};

// One line: id, parent id, major:minor, root, mount point, options, optional fields, "-",
// type, source, super options. False when the line is not of that form.
bool ParseLine(const QByteArray& line, const TVolumeFacts& facts, TMountLine& parsed) {
    const QList<QByteArray> fields = line.split(' ');
    const qsizetype dash = fields.indexOf("-", 6);
    if (fields.size() < 6 || dash < 0 || dash + 2 >= fields.size())
        return false;
    parsed.Id = fields[0];
    parsed.ParentId = fields[1];
    TVolume& volume = parsed.Volume;
    volume.MountPoint = DecodeOctal(fields[4]);
    volume.FileSystemType = DecodeOctal(fields[dash + 1]);
    volume.Source = DecodeOctal(fields[dash + 2]);
    volume.Type =
        Classify(volume.FileSystemType, volume.Source, QString::fromLatin1(fields[2]), facts);
    const QString label = facts.Label(volume.Source);
    volume.DisplayName = label.isEmpty() ? volume.MountPoint : label;
    parsed.Pseudo = PseudoTypes.contains(volume.FileSystemType);
    return true;
}

bool IsUnderMountPoint(const QString& path, const QString& mountPoint) {
    return mountPoint == QLatin1String("/") || path == mountPoint ||
           path.startsWith(mountPoint + QLatin1Char('/'));
}

QString ReadSmallFile(const QString& fileName) {
    QByteArray data;
    try {
        if (ReadWholeFile(fileName, data))
            return QString::fromUtf8(data).trimmed();
    } catch (const Exception&) {
    }
    return {};
}
} // namespace

TVolumeFacts SystemVolumeFacts() {
    TVolumeFacts facts;
    facts.IsRemovable = [](const QString& device) {
        // A partition has no flag of its own; its disk is the folder above it.
        const QString folder = QStringLiteral("/sys/dev/block/") + device;
        QString flag = ReadSmallFile(folder + QStringLiteral("/removable"));
        if (flag.isEmpty())
            flag = ReadSmallFile(folder + QStringLiteral("/../removable"));
        return flag == QLatin1String("1");
    };
    // The labels, read once: the links in /dev/disk/by-label name the devices.
    QHash<QString, QString> labels;
    const QDir labelFolder(QStringLiteral("/dev/disk/by-label"));
    for (const QFileInfo& link : labelFolder.entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        labels.insert(link.canonicalFilePath(),
                      DecodeEscapes(QFile::encodeName(link.fileName()), 16));
    facts.Label = [labels](const QString& source) {
        return source.startsWith(QLatin1String("/dev/"))
                   ? labels.value(QFileInfo(source).canonicalFilePath())
                   : QString();
    };
    return facts;
}

QList<TVolume> ParseMountInfo(const QByteArray& text, const TVolumeFacts& facts) {
    QList<TMountLine> lines;
    QSet<QByteArray> pseudoIds;
    for (const QByteArray& line : text.split('\n')) {
        TMountLine parsed;
        if (!ParseLine(line, facts, parsed))
            continue;
        // What is mounted inside a pseudo file system (/dev/shm, /sys/fs/cgroup) is part of it.
        parsed.Pseudo = parsed.Pseudo || pseudoIds.contains(parsed.ParentId);
        if (parsed.Pseudo)
            pseudoIds.insert(parsed.Id);
        lines.append(parsed);
    }
    // From the last line up, so that the mount on top of a mount point wins.
    QList<TVolume> volumes;
    QSet<QString> seen;
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        if (seen.contains(it->Volume.MountPoint))
            continue;
        seen.insert(it->Volume.MountPoint);
        if (!it->Pseudo)
            volumes.prepend(it->Volume);
    }
    return volumes;
}

void AddRootVolume(QList<TVolume>& volumes) {
    const QString root = QStringLiteral("/");
    if (std::none_of(volumes.cbegin(), volumes.cend(),
                     [&root](const TVolume& volume) { return volume.MountPoint == root; }))
        volumes.prepend(TVolume{root, QStringLiteral("rootfs"), QString(), dtFixed, root});
}

QList<TVolume> MountedVolumes() {
    QByteArray text;
    try {
        ReadWholeFile(QStringLiteral("/proc/self/mountinfo"), text);
    } catch (const Exception&) {
        text.clear();
    }
    QList<TVolume> volumes = ParseMountInfo(text, SystemVolumeFacts());
    AddRootVolume(volumes);
    // A remote mount point is not asked: a server that is gone would hang the question.
    volumes.removeIf([](const TVolume& volume) {
        return volume.Type != dtRemote && !QFileInfo(volume.MountPoint).isDir();
    });
    return volumes;
}

QString DriveOfPath(const QList<TVolume>& volumes, const QString& path) {
    const QString cleaned = QDir::cleanPath(path);
    QString drive = QStringLiteral("/");
    for (const TVolume& volume : volumes) {
        if (volume.MountPoint.size() > drive.size() &&
            IsUnderMountPoint(cleaned, volume.MountPoint))
            drive = volume.MountPoint;
    }
    return drive;
}

TVolumeWatcher::TVolumeWatcher(QObject* parent)
    : QObject(parent), FMountInfo(std::make_unique<QFile>(QStringLiteral("/proc/self/mountinfo"))) {
    if (!FMountInfo->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return;
    // The kernel marks the mount table with an exceptional condition after every change.
    FNotifier = std::make_unique<QSocketNotifier>(FMountInfo->handle(), QSocketNotifier::Exception);
    connect(FNotifier.get(), &QSocketNotifier::activated, this,
            [this] { Guarded([this] { emit VolumesChanged(); }); });
}

TVolumeWatcher::~TVolumeWatcher() = default;

#include "Volumes.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {
// Lines as a container, a laptop with a CD and a USB stick, and a few network shares write them.
const QByteArray Sample =
    "371 318 0:46 / / rw,relatime master:1 - overlay overlay "
    "rw,lowerdir=/var/lib/docker/overlay2/l/A:/var/lib/docker/overlay2/l/B,upperdir=/u,workdir=/w\n"
    "372 371 0:50 / /proc rw,nosuid,nodev,noexec,relatime - proc proc rw\n"
    "373 371 0:51 / /dev rw,nosuid - tmpfs tmpfs rw,size=65536k,mode=755\n"
    "374 373 0:52 / /dev/pts rw,nosuid,noexec,relatime - devpts devpts rw,gid=5,mode=620\n"
    "375 371 0:53 / /sys ro,nosuid,nodev,noexec,relatime - sysfs sysfs ro\n"
    "376 375 0:54 / /sys/fs/cgroup ro,nosuid,nodev,noexec,relatime - tmpfs tmpfs rw,mode=755\n"
    "377 376 0:27 / /sys/fs/cgroup/cpu ro,relatime - cgroup cgroup rw,cpu\n"
    "380 371 254:1 /var/lib/docker/volumes/pics/_data /data rw,relatime - ext4 /dev/vda1 rw\n"
    "381 371 254:1 /home/ann/shared /srv/bound rw,relatime shared:5 master:3 - ext4 /dev/vda1 rw\n"
    "382 371 0:60 / /run/user/1000 rw,nosuid,nodev,relatime shared:6 - tmpfs tmpfs rw,size=8g\n"
    "383 371 0:61 / /mnt/nfs rw,relatime shared:60 - nfs4 nas:/export/photos rw,vers=4.2\n"
    "384 371 0:62 / /mnt/share rw,relatime - cifs //nas/share rw,vers=3.1.1\n"
    "385 371 0:63 / /home/ann/remote rw,nosuid,nodev,relatime - fuse.sshfs ann@host:/ rw\n"
    "386 371 11:0 / /media/ann/CDROM ro,nosuid,nodev,relatime - iso9660 /dev/sr0 ro,nojoliet\n"
    "387 371 8:17 / /media/ann/My\\040Disk rw,nosuid,nodev - vfat /dev/sdb1 rw\n"
    "388 371 8:2 / /home/ann/tab\\011and\\012line\\134 rw - ext4 /dev/sda2 rw\n"
    "389 371 0:64 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
    "this line is not of the form\n"
    "390 371 0:65 / /mnt/ram rw - ramfs none rw\n"
    "391 371 0:66 / /mnt/odd rw - weirdfs none rw\n";

// Device facts from a made-up /sys and /dev/disk/by-label: 8:17 (sdb1) is a removable stick
// labelled "STICK".
TVolumeFacts StandInFacts() {
    TVolumeFacts facts;
    facts.IsRemovable = [](const QString& device) { return device == QLatin1String("8:17"); };
    facts.Label = [](const QString& source) {
        return source == QLatin1String("/dev/sdb1") ? QStringLiteral("STICK") : QString();
    };
    return facts;
}
} // namespace

TEST(Volumes, MountInfoWithStandInDeviceFactsGivesTypesAndNames) {
    const QList<TVolume> volumes = ParseMountInfo(Sample, StandInFacts());
    struct Expected {
        const char* MountPoint;
        const char* Type;
        const char* Source;
        TDriveType Drive;
        const char* DisplayName;
    };
    const Expected table[] = {
        {"/", "overlay", "overlay", dtFixed, "/"},
        {"/dev", "tmpfs", "tmpfs", dtRamDisk, "/dev"},
        {"/data", "ext4", "/dev/vda1", dtFixed, "/data"},
        {"/srv/bound", "ext4", "/dev/vda1", dtFixed, "/srv/bound"},
        {"/run/user/1000", "tmpfs", "tmpfs", dtRamDisk, "/run/user/1000"},
        {"/mnt/nfs", "nfs4", "nas:/export/photos", dtRemote, "/mnt/nfs"},
        {"/mnt/share", "cifs", "//nas/share", dtRemote, "/mnt/share"},
        {"/home/ann/remote", "fuse.sshfs", "ann@host:/", dtRemote, "/home/ann/remote"},
        {"/media/ann/CDROM", "iso9660", "/dev/sr0", dtCDROM, "/media/ann/CDROM"},
        {"/media/ann/My Disk", "vfat", "/dev/sdb1", dtRemovable, "STICK"},
        {"/home/ann/tab\tand\nline\\", "ext4", "/dev/sda2", dtFixed, "/home/ann/tab\tand\nline\\"},
        {"/mnt/ram", "ramfs", "none", dtRamDisk, "/mnt/ram"},
        {"/mnt/odd", "weirdfs", "none", dtUnknown, "/mnt/odd"},
    };
    ASSERT_EQ(volumes.size(), qsizetype(std::size(table)));
    for (qsizetype i = 0; i < volumes.size(); ++i) {
        SCOPED_TRACE(table[i].MountPoint);
        EXPECT_EQ(volumes[i].MountPoint, QString::fromUtf8(table[i].MountPoint));
        EXPECT_EQ(volumes[i].FileSystemType, QString::fromUtf8(table[i].Type));
        EXPECT_EQ(volumes[i].Source, QString::fromUtf8(table[i].Source));
        EXPECT_EQ(volumes[i].Type, table[i].Drive);
        EXPECT_EQ(volumes[i].DisplayName, QString::fromUtf8(table[i].DisplayName));
    }
}

TEST(Volumes, MountOnTopOfAnotherHidesItAndPseudoOnTopHidesBoth) {
    const QByteArray text = "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                            "2 1 8:3 / /home rw - ext4 /dev/sda3 rw\n"
                            "3 1 0:40 / /mnt rw - ext4 /dev/sda4 rw\n"
                            "4 1 0:41 / /home rw - xfs /dev/sdc1 rw\n"
                            "5 1 0:42 / /mnt rw - proc proc rw\n";
    const QList<TVolume> volumes = ParseMountInfo(text, StandInFacts());
    ASSERT_EQ(volumes.size(), 2);
    EXPECT_EQ(volumes[0].MountPoint, "/");
    EXPECT_EQ(volumes[1].MountPoint, "/home");
    EXPECT_EQ(volumes[1].FileSystemType, "xfs");
}

TEST(Volumes, EscapesThatAreNotWholeStayAsTheyAre) {
    const QByteArray text = "1 0 8:1 / /a\\04 rw - ext4 /dev/sda1 rw\n"
                            "2 0 8:1 / /b\\9999 rw - ext4 /dev/sda1 rw\n"
                            "3 0 8:1 / /c\\377\\101 rw - ext4 /dev/sda1 rw\n";
    const QList<TVolume> volumes = ParseMountInfo(text, StandInFacts());
    ASSERT_EQ(volumes.size(), 3);
    EXPECT_EQ(volumes[0].MountPoint, "/a\\04");
    EXPECT_EQ(volumes[1].MountPoint, "/b\\9999");
    // A byte that is no UTF-8 decodes as the file-name decoder does; the next escape still counts.
    EXPECT_EQ(volumes[2].MountPoint, QFile::decodeName("/c\377A"));
}

TEST(Volumes, DriveOfPathIsTheLongestMountPointByWholeNames) {
    QList<TVolume> volumes(3);
    volumes[0].MountPoint = "/";
    volumes[1].MountPoint = "/mnt/a";
    volumes[2].MountPoint = "/mnt/a/b c";
    const struct {
        const char* Path;
        const char* Drive;
    } table[] = {
        {"/", "/"},
        {"/mnt", "/"},
        {"/mnt/a", "/mnt/a"},
        {"/mnt/a/", "/mnt/a"},
        {"/mnt/ab", "/"},
        {"/mnt/a/x/../b c/d", "/mnt/a/b c"},
        {"/mnt/a/b", "/mnt/a"},
    };
    for (const auto& row : table)
        EXPECT_EQ(DriveOfPath(volumes, row.Path), row.Drive) << row.Path;
    EXPECT_EQ(DriveOfPath({}, "/mnt/a"), "/");
}

TEST(Volumes, ThisMachineListsItsRootAndNoKernelViews) {
    const QList<TVolume> volumes = MountedVolumes();
    QStringList mountPoints;
    for (const TVolume& volume : volumes)
        mountPoints << volume.MountPoint;
    EXPECT_TRUE(mountPoints.contains("/")) << mountPoints.join(' ').toStdString();
    EXPECT_FALSE(mountPoints.contains("/proc"));
    EXPECT_FALSE(mountPoints.contains("/sys"));
}

TEST(Volumes, ToolPrintsOneTabSeparatedLinePerVolume) {
    QProcess tool;
    tool.start(QStringLiteral(VELLORIA_BINARY_DIR "/tools/velloria-volumes"), {});
    ASSERT_TRUE(tool.waitForFinished(30000)) << tool.errorString().toStdString();
    EXPECT_EQ(tool.exitCode(), 0);
    const QStringList lines =
        QString::fromUtf8(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), MountedVolumes().size());
    QStringList mountPoints;
    for (const QString& line : lines) {
        const QStringList fields = line.split('\t');
        ASSERT_EQ(fields.size(), 4) << line.toStdString();
        mountPoints << fields[0];
        const QStringList types = {"unknown", "removable", "fixed", "network", "cdrom", "ramdisk"};
        EXPECT_TRUE(types.contains(fields[1])) << line.toStdString();
    }
    EXPECT_TRUE(mountPoints.contains("/"));
    EXPECT_FALSE(mountPoints.contains("/proc"));

    tool.start(QStringLiteral(VELLORIA_BINARY_DIR "/tools/velloria-volumes"), {"--all"});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 2);
    EXPECT_TRUE(tool.readAllStandardError().startsWith("usage: velloria-volumes"));
}

// A chroot's mount table shows only what is mounted inside it, not its root: "/" is still the
// first drive, and a table that has "/" keeps its own.
TEST(Volumes, RootIsADriveEvenWhereTheTableDoesNotShowIt) {
    const TVolumeFacts none = StandInFacts();
    QList<TVolume> chroot = ParseMountInfo("61 60 0:5 / /proc rw - proc proc rw\n"
                                           "62 60 0:40 / /tmp rw - tmpfs tmpfs rw\n",
                                           none);
    AddRootVolume(chroot);
    ASSERT_EQ(chroot.size(), 2);
    EXPECT_EQ(chroot[0].MountPoint, "/");
    EXPECT_EQ(chroot[0].Type, dtFixed);
    EXPECT_EQ(chroot[0].DisplayName, "/");
    EXPECT_EQ(chroot[1].MountPoint, "/tmp");

    QList<TVolume> whole = ParseMountInfo("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n", none);
    AddRootVolume(whole);
    ASSERT_EQ(whole.size(), 1);
    EXPECT_EQ(whole[0].Source, "/dev/sda1");
}

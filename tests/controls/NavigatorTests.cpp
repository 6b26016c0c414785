#include "JvDirectoryListBox.h"
#include "JvDriveCombo.h"
#include "Volumes.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// Failure messages show paths as text.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {
constexpr int WaitMs = 10000;

// A temporary folder tree; the process's current directory is put back afterwards, since the
// list moves it.
class Navigator : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FTemp.isValid());
        FRoot = QDir::cleanPath(FTemp.path());
    }
    void TearDown() override { QDir::setCurrent(FSavedCurrent); }

    QString Make(const QString& relative) {
        const QString path = FRoot + QLatin1Char('/') + relative;
        EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
        return path;
    }
    // The lines from the root of the file system down to folder.
    static QStringList PathLines(const QString& folder) {
        QStringList lines{QStringLiteral("/")};
        QString prefix;
        for (const QString& name : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts))
            lines << (prefix += QLatin1Char('/') + name);
        return lines;
    }
    // Counts the list's OnChange calls.
    void Count(TJvDirectoryListBox& list) {
        list.OnChange = [this](TJvDirectoryListBox&) { ++FChanges; };
    }

    const QString FSavedCurrent = QDir::currentPath();
    QTemporaryDir FTemp;
    QString FRoot;
    int FChanges = 0;
};

// Lowers this thread's file-permission override for one scope, so that a folder without
// search permission cannot be entered even by root.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() {
        syscall(SYS_capget, &FHeader, FSaved);
        __user_cap_data_struct lowered[2] = {FSaved[0], FSaved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        syscall(SYS_capset, &FHeader, lowered);
    }
    ~WithoutPermissionOverride() { syscall(SYS_capset, &FHeader, FSaved); }

private:
    __user_cap_header_struct FHeader{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct FSaved[2]{};
};
} // namespace

TEST_F(Navigator, ThreeLevelFolderShowsPathThenSubFoldersSortedIgnoringCase) {
    const QString pics = Make("Data/Pics");
    for (const char* name : {"b", "Zed", "A", ".hidden", "c"})
        Make(QStringLiteral("Data/Pics/") + name);
    TJvDirectoryListBox list;
    Count(list);
    list.SetDirectory(pics);
    EXPECT_EQ(list.Directory(), pics);
    EXPECT_EQ(QDir::currentPath(), pics);
    EXPECT_EQ(FChanges, 1);
    const QStringList path = PathLines(pics);
    const QStringList visible{pics + "/A", pics + "/b", pics + "/c", pics + "/Zed"};
    EXPECT_EQ(list.Lines(), path + visible);
    EXPECT_EQ(list.CurrentFolderLine(), path.size() - 1);
    EXPECT_EQ(list.currentIndex().row(), path.size() - 1);

    list.SetShowAllFolders(true);
    EXPECT_EQ(list.Lines(), path + QStringList{pics + "/.hidden"} + visible);
}

TEST_F(Navigator, RootShowsOnlyItsOwnPathLine) {
    TJvDirectoryListBox list;
    list.SetDirectory("/");
    EXPECT_EQ(list.Directory(), "/");
    ASSERT_FALSE(list.Lines().isEmpty());
    EXPECT_EQ(list.Lines().first(), "/");
    EXPECT_EQ(list.CurrentFolderLine(), 0);
    EXPECT_FALSE(list.Lines().mid(1).contains("/"));
}

TEST_F(Navigator, SettingTheFolderFollowsTheFallBackRules) {
    const QString pics = Make("Data/Pics");
    const QString other = Make("Data/Other");
    const struct {
        const char* Name;
        QString Path;
        QString Expected;
        int Changes;
    } table[] = {
        {"empty path", "", pics, 0},
        {"relative path", "Data/Other", pics, 0},
        {"home-relative path", "~/Data", pics, 0},
        {"the same folder", pics, pics, 0},
        {"the same folder with a trailing /", pics + "/", pics, 0},
        {"the same folder through ..", pics + "/../Pics", pics, 0},
        {"a missing folder on the same drive", FRoot + "/Data/Nope", pics, 1},
        {"a file, not a folder", FRoot + "/Data/file.txt", pics, 1},
        {"an existing folder", other, other, 1},
    };
    QFile file(FRoot + "/Data/file.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const auto& row : table) {
        SCOPED_TRACE(row.Name);
        TJvDirectoryListBox list;
        list.SetDirectory(pics);
        Count(list);
        list.SetDirectory(row.Path);
        EXPECT_EQ(list.Directory(), row.Expected);
        EXPECT_EQ(QDir::currentPath(), row.Expected);
        EXPECT_EQ(FChanges, row.Changes);
        FChanges = 0;
    }
}

TEST_F(Navigator, DownOnTheCurrentLineOpensTheFirstSubFolderAtOnce) {
    const QString pics = Make("Data/Pics");
    Make("Data/Pics/beta");
    Make("Data/Pics/Alpha");
    TJvDirectoryListBox list;
    list.SetDirectory(pics);
    Count(list);
    list.show();
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.Directory() == pics + "/Alpha"; }, WaitMs))
        << list.Directory().toStdString();
    EXPECT_EQ(FChanges, 1);
    EXPECT_EQ(list.currentIndex().row(), list.CurrentFolderLine());
    EXPECT_EQ(list.Lines().at(list.CurrentFolderLine()), pics + "/Alpha");
}

TEST_F(Navigator, EnterAndDoubleClickOpenTheLineWithoutAutoExpand) {
    const QString pics = Make("Data/Pics");
    Make("Data/Pics/one");
    TJvDirectoryListBox list;
    list.AutoExpand = false;
    list.SetDirectory(pics);
    list.show();
    list.setFocus();
    const int parentLine = list.CurrentFolderLine() - 1;
    list.setCurrentIndex(list.model()->index(parentLine, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(list.Directory(), pics);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.Directory() == FRoot + "/Data"; }, WaitMs));

    const int oneLine = int(list.Lines().indexOf(FRoot + "/Data/Pics"));
    ASSERT_GE(oneLine, 0);
    const QRect line = list.visualRect(list.model()->index(oneLine, 0));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, line.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.Directory() == pics; }, WaitMs));
}

TEST_F(Navigator, FolderRemovedWhileShownFallsBackToTheNearestFolderAbove) {
    const QString pics = Make("Data/Pics");
    Make("Data/Pics/gone");
    TJvDirectoryListBox list;
    list.SetDirectory(pics);
    Count(list);
    ASSERT_TRUE(QDir(pics).removeRecursively());
    // The line of a sub-folder that vanished after the listing.
    list.SetDirectory(pics + "/gone");
    EXPECT_EQ(list.Directory(), FRoot + "/Data");
    EXPECT_EQ(QDir::currentPath(), FRoot + "/Data");
    EXPECT_EQ(FChanges, 1);
}

TEST_F(Navigator, FolderThatCannotBeEnteredEvenByRootLeavesTheListWhereItWas) {
    const QString pics = Make("Data/Pics");
    const QString locked = Make("Data/Locked");
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0), 0);
    TJvDirectoryListBox list;
    list.SetDirectory(pics);
    Count(list);
    {
        const WithoutPermissionOverride asAnyUser;
        ASSERT_NE(::chdir(QFile::encodeName(locked).constData()), 0) << "the folder can be entered";
        list.SetDirectory(locked);
    }
    ::chmod(QFile::encodeName(locked).constData(), 0700);
    EXPECT_EQ(list.Directory(), pics);
    EXPECT_EQ(QDir::currentPath(), pics);
    EXPECT_EQ(FChanges, 1);
    EXPECT_EQ(list.Lines().at(list.CurrentFolderLine()), pics);
}

TEST_F(Navigator, OddNamesAreListedAndEnteredOrFallBack) {
    // A name that is no UTF-8 cannot be named by the program at all: it is not listed, and the
    // path the program would make of it falls back like a missing folder.
    const struct {
        QByteArray Name;
        bool Usable;
    } table[] = {
        {"with space", true},
        {"new\nline", true},
        {"tab\there", true},
        {"bad\xff\xfe bytes", false},
    };
    const QString parent = Make("Odd");
    const QByteArray parentBytes = QFile::encodeName(parent) + '/';
    for (const auto& row : table)
        ASSERT_EQ(::mkdir((parentBytes + row.Name).constData(), 0700), 0);
    TJvDirectoryListBox list;
    for (const auto& row : table) {
        SCOPED_TRACE(row.Name.toStdString());
        list.SetDirectory(parent);
        const QString path = parent + '/' + QFile::decodeName(row.Name);
        EXPECT_EQ(list.Lines().contains(path), row.Usable);
        Count(list);
        FChanges = 0;
        list.SetDirectory(path);
        EXPECT_EQ(list.Directory(), row.Usable ? path : parent);
        EXPECT_EQ(FChanges, 1);
    }
    QDir::setCurrent(FSavedCurrent);
    // QTemporaryDir cannot name it either.
    for (const auto& row : table)
        ::rmdir((parentBytes + row.Name).constData());
}

TEST_F(Navigator, FailedDriveChangeStaysAndStillFiresTheChange) {
    const QString pics = Make("Data/Pics");
    TJvDirectoryListBox list;
    list.SetDirectory(pics);
    Count(list);
    // A volume that was unmounted and whose mount point went with it.
    list.DriveChange(FRoot + "/unmounted");
    EXPECT_EQ(list.Directory(), pics);
    EXPECT_EQ(QDir::currentPath(), pics);
    EXPECT_EQ(FChanges, 1);
    // The drive of the current folder changes nothing and fires nothing.
    list.DriveChange(DriveOfPath(MountedVolumes(), pics));
    EXPECT_EQ(FChanges, 1);
}

TEST(DriveCombo, ListsTheChosenKindsAndChoosesTheCurrentDrive) {
    TJvDriveCombo combo;
    const QList<TVolume> volumes = MountedVolumes();
    QStringList fixed;
    for (const TVolume& volume : volumes) {
        if (volume.Type == dtFixed)
            fixed << volume.MountPoint;
    }
    EXPECT_EQ(combo.Drives(), fixed);
    const QString current = DriveOfPath(volumes, QDir::currentPath());
    EXPECT_EQ(combo.Drive(), fixed.contains(current) ? current : fixed.value(0));
    EXPECT_EQ(combo.DisplayName(), combo.currentText());

    combo.SetDriveTypes({});
    EXPECT_EQ(combo.DriveTypes(), TDriveTypes{dtFixed});
    ASSERT_GT(combo.count(), 0);
    EXPECT_EQ(combo.view()->sizeHintForRow(0),
              std::max(combo.fontMetrics().height(), combo.iconSize().height()));

    int changes = 0;
    combo.OnChange = [&](TJvDriveCombo&) { ++changes; };
    const QString chosen = combo.Drive();
    combo.SetDrive("/no/such/volume");
    EXPECT_EQ(combo.Drive(), chosen);
    combo.SetDrive(chosen);
    EXPECT_EQ(changes, 0);
}

TEST(DriveCombo, EntryTextAreaFollowsTheIconAndItsOffset) {
    TJvDriveCombo combo;
    ASSERT_GT(combo.count(), 0);
    const QRgb outside = qRgb(255, 0, 0);
    const QRgb base = combo.palette().color(QPalette::Base).rgb();
    ASSERT_NE(base, outside);
    const int textWidth = combo.fontMetrics().horizontalAdvance(combo.itemText(0));
    for (const int offset : {1, 4, 9}) {
        SCOPED_TRACE(offset);
        combo.SetOffset(offset);
        QImage image(400, 20, QImage::Format_RGB32);
        image.fill(outside);
        QPainter painter(&image);
        combo.DrawEntry(painter, image.rect(), 0, false);
        painter.end();
        // The text area: from offset + icon width + offset, as wide as the text plus 6.
        const int left = offset + combo.iconSize().width() + offset;
        const int right = left + textWidth + 6 - 1;
        EXPECT_EQ(image.pixel(left - 1, 0), outside);
        EXPECT_EQ(image.pixel(left, 0), base);
        EXPECT_EQ(image.pixel(right, 19), base);
        EXPECT_EQ(image.pixel(right + 1, 19), outside);
    }
}

TEST_F(Navigator, LineHeightIsTheTextOrTheIconPlusOne) {
    Make("Data");
    TJvDirectoryListBox list;
    list.SetDirectory(FRoot);
    EXPECT_EQ(list.sizeHintForRow(0), std::max(list.fontMetrics().height(), 17));
}

TEST_F(Navigator, LineIconsStartAtTwoThenMoveFourPixelsPerLevel) {
    const QString deep = Make("a/b");
    TJvDirectoryListBox list;
    list.SetDirectory(deep);
    list.resize(400, 300);
    const QImage image = list.viewport()->grab().toImage();
    const QRgb background = list.palette().color(QPalette::Base).rgb();
    // The first column of a line that is not background: where its icon begins to show.
    const auto firstDrawn = [&](int row) {
        const QRect line = list.visualRect(list.model()->index(row, 0));
        for (int x = line.left(); x <= line.right(); ++x) {
            for (int y = line.top(); y <= line.bottom(); ++y) {
                if (image.pixel(x, y) != background)
                    return x - line.left();
            }
        }
        return -1;
    };
    // The path lines above the current one all show the same icon.
    const int margin = firstDrawn(0) - 2;
    ASSERT_GE(margin, 0);
    const QStringList lines = list.Lines();
    for (int row = 1; row < list.CurrentFolderLine(); ++row) {
        SCOPED_TRACE(lines[row].toStdString());
        EXPECT_EQ(firstDrawn(row), 6 + 4 * int(lines[row].count('/')) + margin);
    }
}

// The live volume watch, in a private mount namespace of a child run of this program, so the
// tmpfs mounts never reach the machine's own mount table.
TEST(DriveComboInPrivateMountNamespace, FollowsMountsAndRemembersFoldersPerVolume) {
    QProcess probe;
    probe.start("unshare", {"-m", "true"});
    if (!probe.waitForFinished(WaitMs) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0)
        GTEST_SKIP() << "no private mount namespace here: "
                     << probe.readAllStandardError().toStdString()
                     << probe.errorString().toStdString();
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VELLORIA_PRIVATE_MOUNTS", "1");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start("unshare",
                {"-m", "--propagation", "private", QCoreApplication::applicationFilePath(),
                 "--gtest_also_run_disabled_tests",
                 "--gtest_filter=InsideMountNamespace.DISABLED_*"});
    ASSERT_TRUE(child.waitForFinished(6 * WaitMs));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 4 tests.")) << output.toStdString();
}

namespace {
// Runs only in the child above, in its own mount namespace, as root.
class InsideMountNamespace : public Navigator {
protected:
    void SetUp() override {
        if (qgetenv("VELLORIA_PRIVATE_MOUNTS") != "1")
            GTEST_SKIP() << "only inside a private mount namespace";
        Navigator::SetUp();
    }
    void TearDown() override {
        Navigator::TearDown();
        for (const QString& volume : FMounted)
            ::umount2(QFile::encodeName(volume).constData(), MNT_DETACH);
    }
    QString MountTmpfs(const QString& relative) {
        const QString path = Make(relative);
        EXPECT_EQ(
            ::mount("velloria-test", QFile::encodeName(path).constData(), "tmpfs", 0, "size=1m"), 0)
            << strerror(errno);
        FMounted << path;
        return path;
    }
    QStringList FMounted;
};
} // namespace

TEST_F(InsideMountNamespace, DISABLED_ComboFollowsMountsAndKeepsTheCurrentDrive) {
    TJvDriveCombo combo;
    combo.SetDriveTypes({dtFixed, dtRamDisk});
    const QString chosen = combo.Drive();
    ASSERT_FALSE(chosen.isEmpty());
    const QString volume = MountTmpfs("live");
    EXPECT_TRUE(QTest::qWaitFor([&] { return combo.Drives().contains(volume); }, WaitMs));
    EXPECT_EQ(combo.Drive(), chosen);
    EXPECT_EQ(combo.currentData().toString(), chosen);
    ASSERT_EQ(::umount(QFile::encodeName(volume).constData()), 0);
    FMounted.clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !combo.Drives().contains(volume); }, WaitMs));
    EXPECT_EQ(combo.currentData().toString(), chosen);
}

TEST_F(InsideMountNamespace, DISABLED_EachVolumeRemembersItsFolder) {
    const QString one = MountTmpfs("one");
    const QString two = MountTmpfs("two");
    const QString three = MountTmpfs("three");
    QDir().mkpath(one + "/x/y");
    QDir().mkpath(two + "/p");
    TJvDriveCombo combo;
    combo.SetDriveTypes({dtRamDisk});
    TJvDirectoryListBox list;
    list.SetDriveCombo(&combo);
    list.SetDirectory(one + "/x/y");
    EXPECT_EQ(combo.Drive(), one);
    list.SetDirectory(two + "/p");
    EXPECT_EQ(combo.Drive(), two);
    Count(list);
    const struct {
        QString Drive;
        QString Expected;
    } table[] = {{one, one + "/x/y"}, {two, two + "/p"}, {three, three}};
    for (const auto& row : table) {
        combo.SetDrive(row.Drive);
        EXPECT_EQ(list.Directory(), row.Expected);
        EXPECT_EQ(QDir::currentPath(), row.Expected);
    }
    EXPECT_EQ(FChanges, 3);
    // A missing folder goes to the current folder of its volume.
    list.SetDirectory(one + "/x/missing");
    EXPECT_EQ(list.Directory(), one + "/x/y");
    EXPECT_EQ(combo.Drive(), one);
}

TEST_F(InsideMountNamespace, DISABLED_VolumeGoneBeforeTheComboNoticedKeepsTheFolder) {
    const QString one = MountTmpfs("one");
    const QString two = MountTmpfs("two");
    TJvDriveCombo combo;
    combo.SetDriveTypes({dtRamDisk});
    TJvDirectoryListBox list;
    list.SetDriveCombo(&combo);
    list.SetDirectory(one);
    Count(list);
    ASSERT_EQ(::umount(QFile::encodeName(two).constData()), 0);
    FMounted.removeAll(two);
    ASSERT_TRUE(QDir(two).removeRecursively());
    combo.SetDrive(two);
    EXPECT_EQ(list.Directory(), one);
    EXPECT_EQ(combo.Drive(), one);
    EXPECT_EQ(FChanges, 1);
}

TEST_F(InsideMountNamespace, DISABLED_FolderOnAVolumeTheComboDoesNotListIsStillEntered) {
    const QString ram = MountTmpfs("ram");
    QDir().mkpath(ram + "/x");
    TJvDriveCombo combo;
    combo.SetDriveTypes({dtFixed});
    ASSERT_FALSE(combo.Drives().contains(ram));
    TJvDirectoryListBox list;
    list.SetDriveCombo(&combo);
    const QString chosen = combo.Drive();
    Count(list);
    list.SetDirectory(ram + "/x");
    EXPECT_EQ(list.Directory(), ram + "/x");
    EXPECT_EQ(combo.Drive(), chosen);
    EXPECT_EQ(FChanges, 1);
}

namespace {
// Sends one mouse event to the list's lines as the window system delivers it, at a given time,
// so that presses close together in time and place count as a double-click.
void SendMouse(TJvDirectoryListBox& list, QEvent::Type type, const QPoint& at, ulong time) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, at, list.viewport()->mapToGlobal(at), Qt::LeftButton, held, {});
    event.setTimestamp(time);
    QCoreApplication::sendEvent(list.viewport(), &event);
}

// A point on the line's icon, well inside the list's width.
QPoint OnLine(const TJvDirectoryListBox& list, const QString& path) {
    const QRect line = list.visualRect(list.model()->index(int(list.Lines().indexOf(path)), 0));
    return {line.left() + 24, line.center().y()};
}
} // namespace

TEST_F(Navigator, DoubleClickOpensTheClickedLineOnlyWithOrWithoutAutoExpand) {
    for (const bool autoExpand : {true, false}) {
        SCOPED_TRACE(autoExpand ? "auto-expand" : "no auto-expand");
        // Enough lines that the rebuild after the first press puts another folder under the
        // pointer: "sort" is followed by its own sub-folder there.
        const QString data = Make("data");
        Make("data/a");
        Make("data/sort/x.jpg");
        TJvDirectoryListBox list;
        list.AutoExpand = autoExpand;
        list.SetDirectory(data);
        list.resize(300, 400);
        list.show();
        const QPoint at = OnLine(list, data + "/sort");
        const ulong start = 1000000;
        SendMouse(list, QEvent::MouseButtonPress, at, start);
        SendMouse(list, QEvent::MouseButtonRelease, at, start + 20);
        // The first press's opening runs before the second press arrives, as it does live.
        QCoreApplication::processEvents();
        SendMouse(list, QEvent::MouseButtonPress, at, start + 120);
        SendMouse(list, QEvent::MouseButtonDblClick, at, start + 120);
        SendMouse(list, QEvent::MouseButtonRelease, at, start + 140);
        EXPECT_TRUE(QTest::qWaitFor([&] { return list.Directory() == data + "/sort"; }, WaitMs))
            << list.Directory().toStdString();
        // Nothing else is waiting to open: the list stays in "sort".
        QCoreApplication::processEvents();
        EXPECT_EQ(list.Directory(), data + "/sort");
        QDir(data).removeRecursively();
    }
}

TEST_F(Navigator, ClickBelowTheLastLineKeepsTheCurrentFolderHighlighted) {
    const QString data = Make("data");
    TJvDirectoryListBox list;
    list.SetDirectory(data);
    Count(list);
    list.resize(300, 400);
    list.show();
    const QRect last = list.visualRect(list.model()->index(int(list.Lines().size()) - 1, 0));
    ASSERT_LT(last.bottom() + 20, list.viewport()->height());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(40, last.bottom() + 20));
    QCoreApplication::processEvents();
    EXPECT_EQ(list.currentIndex().row(), list.CurrentFolderLine());
    EXPECT_TRUE(list.selectionModel()->isSelected(list.currentIndex()));
    EXPECT_EQ(list.Directory(), data);
    EXPECT_EQ(FChanges, 0);
}

TEST_F(Navigator, LongNameScrollsSidewaysAndShowsItsWholePathAsToolTip) {
    const QString name(120, QLatin1Char('n'));
    const QString data = Make("data");
    Make("data/" + name);
    TJvDirectoryListBox list;
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list.SetDirectory(data);
    list.resize(197, 300);
    list.show();
    QCoreApplication::processEvents();
    const QModelIndex line = list.model()->index(int(list.Lines().indexOf(data + "/" + name)), 0);
    ASSERT_TRUE(line.isValid());
    EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(list.sizeHintForIndex(line).width(), list.fontMetrics().horizontalAdvance(name));
    EXPECT_EQ(line.data(Qt::ToolTipRole).toString(), data + "/" + name);
}

TEST_F(Navigator, PathLinesShowTheOpenFolderIconAndSubFoldersTheClosedOne) {
    const QString data = Make("data");
    Make("data/sub");
    TJvDirectoryListBox list;
    list.SetDirectory(data);
    list.resize(400, 300);
    const QImage image = list.viewport()->grab().toImage();
    const QModelIndex root = list.model()->index(0, 0);
    const QModelIndex sub = list.model()->index(list.CurrentFolderLine() + 1, 0);
    ASSERT_EQ(sub.data(Qt::ToolTipRole).toString(), data + "/sub");
    // The icon's square on an unselected path line and on the unselected sub-folder line.
    const auto icon = [&](const QModelIndex& index, int x) {
        const QRect line = list.visualRect(index);
        return image.copy(line.left() + x, line.top() + (line.height() - 16) / 2, 16, 16);
    };
    const QImage open = icon(root, 2);
    const QImage closed = icon(sub, 6 + 4 * int(data.count('/') + 1));
    // Both squares hold an icon, and not the same one.
    QImage blank(16, 16, image.format());
    blank.fill(list.palette().color(QPalette::Base));
    EXPECT_NE(open, blank);
    EXPECT_NE(closed, blank);
    EXPECT_NE(open, closed);
}

// The swaybg adapter through a runner that records instead of starting (no Wayland compositor
// runs here), the state file it keeps, and the real detached runner with a harmless program.
#include "DesktopExpectations.h"
#include "ProcessRunner.h"
#include "SwaybgWallpaper.h"
#include "TestPeers.h"
#include "WallpaperState.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {
struct TStart {
    QString Program;
    QStringList Arguments;
};

// Records every start and stop; hands out pids from the first one on, or 0 when told to fail.
class RecordingProcessRunner : public IProcessRunner {
public:
    explicit RecordingProcessRunner(qint64 firstPid) : FirstPid(firstPid) {}
    qint64 Start(const QString& program, const QStringList& arguments) override {
        Starts.append({program, arguments});
        return Failing ? 0 : FirstPid + Starts.size() - 1;
    }
    void Stop(qint64 pid, const QString& program) override { Stops.append({pid, program}); }

    QList<TStart> Starts;
    QList<QPair<qint64, QString>> Stops;
    bool Failing = false;
    qint64 FirstPid;
};

class SwaybgWithRecordingRunnerTest : public ::testing::Test {
protected:
    // Each call stands for a new session of the program, whose runner sees other pids.
    TSwaybgWallpaper Desktop() {
        FFirstPid += 100;
        auto runner = std::make_unique<RecordingProcessRunner>(FFirstPid);
        FRunner = runner.get();
        return TSwaybgWallpaper(std::move(runner),
                                FState.path() + QStringLiteral("/Ornwick/Velloria"));
    }
    QTemporaryDir FState;
    RecordingProcessRunner* FRunner = nullptr;
    qint64 FFirstPid = 0;
};

// The process state letter from /proc, or 0 when the process is gone.
char ProcessState(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && close + 2 < text.size() ? text[close + 2] : 0;
}

// True once the process is gone, or a zombie that nobody has reaped yet.
bool Ended(qint64 pid) {
    const char state = ProcessState(pid);
    return state == 0 || state == 'Z';
}
} // namespace

TEST_F(SwaybgWithRecordingRunnerTest, StartsSwaybgInEachStyleAndStopsThePreviousOne) {
    TSwaybgWallpaper desktop = Desktop();
    EXPECT_EQ(desktop.Name(), QStringLiteral("sway"));
    const QString file =
        QStringLiteral("/srv/été/") + QString(280, QLatin1Char('n')) + QStringLiteral(".jpg");
    const QList<QPair<int, QString>> modes = {{wsTiled, QStringLiteral("tile")},
                                              {wsCentered, QStringLiteral("center")},
                                              {wsStretched, QStringLiteral("stretch")},
                                              {255, QStringLiteral("center")}};
    for (int i = 0; i < modes.size(); ++i) {
        ASSERT_TRUE(desktop.SetWallpaper(file, modes[i].first));
        const TStart& start = FRunner->Starts.at(i);
        EXPECT_EQ(start.Program, QStringLiteral("swaybg"));
        EXPECT_EQ(start.Arguments,
                  (QStringList{QStringLiteral("-i"), file, QStringLiteral("-m"), modes[i].second,
                               QStringLiteral("-c"), QStringLiteral("#000000")}));
        QString fileName;
        int style = -1;
        ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
        EXPECT_EQ(fileName, file);
        EXPECT_EQ(style, ValidStyle(modes[i].first));
    }
    ASSERT_EQ(FRunner->Stops.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(FRunner->Stops[i], (QPair<qint64, QString>(100 + i, QStringLiteral("swaybg"))));
}

TEST_F(SwaybgWithRecordingRunnerTest, FailedStartKeepsTheOldChoiceRunning) {
    TSwaybgWallpaper desktop = Desktop();
    ExpectGetFails(desktop);
    ASSERT_TRUE(desktop.SetWallpaper(QStringLiteral("/a.jpg"), wsTiled));
    FRunner->Failing = true;
    EXPECT_FALSE(desktop.SetWallpaper(QStringLiteral("/b.jpg"), wsStretched));
    EXPECT_TRUE(FRunner->Stops.isEmpty());
    QString fileName;
    int style = -1;
    ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
    EXPECT_EQ(fileName, QStringLiteral("/a.jpg"));
    EXPECT_EQ(style, wsTiled);
}

TEST_F(SwaybgWithRecordingRunnerTest, RestoreInALaterSessionStartsTheKeptChoice) {
    ASSERT_TRUE(Desktop().SetWallpaper(QStringLiteral("/kept.png"), wsStretched));
    TSwaybgWallpaper later = Desktop();
    ASSERT_TRUE(later.Restore());
    ASSERT_EQ(FRunner->Starts.size(), 1);
    EXPECT_EQ(FRunner->Starts[0].Arguments.mid(0, 4),
              (QStringList{QStringLiteral("-i"), QStringLiteral("/kept.png"), QStringLiteral("-m"),
                           QStringLiteral("stretch")}));
    EXPECT_EQ(FRunner->Stops, (QList<QPair<qint64, QString>>{{100, QStringLiteral("swaybg")}}));

    QFile::remove(FState.path() + QStringLiteral("/Ornwick/Velloria/desktop-wallpaper.json"));
    TSwaybgWallpaper fresh = Desktop();
    EXPECT_FALSE(fresh.Restore());
    EXPECT_TRUE(FRunner->Starts.isEmpty());
}

TEST(DetachedProcessRunner, StopsOnlyAProcessThatStillRunsTheNamedProgram) {
    TDetachedProcessRunner runner;
    const qint64 pid = runner.Start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_GT(pid, 0);
    ASSERT_FALSE(Ended(pid));
    runner.Stop(pid, QStringLiteral("swaybg"));
    QThread::msleep(100);
    EXPECT_FALSE(Ended(pid)) << "another program's process must survive";
    runner.Stop(pid, QStringLiteral("/usr/bin/sleep"));
    EXPECT_TRUE(WaitFor([&] { return Ended(pid); }));
    EXPECT_EQ(runner.Start(QStringLiteral("/nonexistent/swaybg"), {}), 0);
}

namespace {
// swaybg on a real compositor: a headless sway, looked at through grim.
class SwaybgOnHeadlessSwayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(FSway.ClientEnvironment().isEmpty()) << "sway did not start";
        // The swaybg we start inherits our environment.
        for (const char* name : {"XDG_RUNTIME_DIR", "WAYLAND_DISPLAY"}) {
            FSaved.insert(name, qgetenv(name));
            qputenv(name, FSway.ClientEnvironment().value(QString::fromLatin1(name)).toLocal8Bit());
        }
    }
    void TearDown() override {
        for (auto it = FSaved.cbegin(); it != FSaved.cend(); ++it)
            it.value().isNull() ? qunsetenv(it.key()) : qputenv(it.key(), it.value());
    }
    // Waits until the output shows the expected picture; false when it never did.
    bool Shows(const std::function<bool(const QImage&)>& expected) {
        const QString shot = FFolder.filePath(QStringLiteral("shot.ppm"));
        return WaitFor([&] {
            int exitCode = -1;
            RunProgram(QStringLiteral("grim"), {QStringLiteral("-t"), QStringLiteral("ppm"), shot},
                       exitCode, FSway.ClientEnvironment());
            const QImage screen(shot);
            return exitCode == 0 && !screen.isNull() &&
                   expected(screen.convertToFormat(QImage::Format_RGB32));
        });
    }

    THeadlessSway FSway{QStringLiteral("64x48")};
    QTemporaryDir FFolder;
    QMap<const char*, QByteArray> FSaved;
};
} // namespace

TEST_F(SwaybgOnHeadlessSwayTest, PictureAppearsInEachStyleAndReplacesTheOldSwaybg) {
    const QSize screen(64, 48);
    TSwaybgWallpaper desktop(std::make_unique<TDetachedProcessRunner>(), FFolder.path());
    const QString picture = WritePicture(FFolder, QStringLiteral("small picture.bmp"), 10, 6);
    qint64 previousPid = 0;
    for (int style : {wsTiled, wsCentered}) {
        ASSERT_TRUE(desktop.SetWallpaper(picture, style));
        const QImage expected = ExpectedScreen(picture, screen, style);
        EXPECT_TRUE(Shows([&](const QImage& shown) { return shown == expected; })) << style;
        TWallpaperState state;
        ASSERT_TRUE(LoadWallpaperState(FFolder.path(), state));
        if (previousPid) {
            EXPECT_TRUE(WaitFor([&] { return Ended(previousPid); }));
        }
        EXPECT_FALSE(Ended(state.Pid)) << "the new swaybg runs";
        previousPid = state.Pid;
    }
    ASSERT_TRUE(desktop.SetWallpaper(WriteQuarters(FFolder), wsStretched));
    EXPECT_TRUE(
        Shows([](const QImage& shown) { return shown.pixel(48, 36) == qRgb(255, 255, 255); }));
    QImage shown(FFolder.filePath(QStringLiteral("shot.ppm")));
    ExpectStretchedQuarters(shown.convertToFormat(QImage::Format_RGB32));
}

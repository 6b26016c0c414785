// The swaybg adapter through a runner that records instead of starting, the state file it
// keeps, the real detached runner with harmless programs, and real swaybg processes on a
// headless sway (or on no compositor at all).
#include "DesktopExpectations.h"
#include "ProcessRunner.h"
#include "SwaybgWallpaper.h"
#include "TestPeers.h"
#include "WallpaperState.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {
struct TStart {
    QString Program;
    QStringList Arguments;
};

// A runner that starts nothing (a stand-in for swaybg where the test needs swaybg to answer in
// a given way): records every start and stop, hands out pids from the first one on, and writes
// the given messages as swaybg's standard error. A pid of 0 when told to fail.
class RecordingProcessRunner : public IProcessRunner {
public:
    explicit RecordingProcessRunner(qint64 firstPid) : FirstPid(firstPid) {}
    TProcessId Start(const QString& program, const QStringList& arguments,
                     const QString& errorFile) override {
        Starts.append({program, arguments});
        QFile log(errorFile);
        if (log.open(QIODevice::Append))
            log.write(Messages);
        if (Failing)
            return {};
        return {FirstPid + Starts.size() - 1, 1000};
    }
    bool Running(const TProcessId& process) override {
        return !Exiting && !Stops.contains({process.Pid, Program});
    }
    void Stop(const TProcessId& process, const QString& program) override {
        Stops.append({process.Pid, program});
    }

    QList<TStart> Starts;
    QList<QPair<qint64, QString>> Stops;
    QByteArray Messages = "2026-12-08 06:49:38 - [main.c:293] Found config * for output X ()\n";
    bool Failing = false;
    bool Exiting = false;
    qint64 FirstPid;
    const QString Program = QStringLiteral("swaybg");
};

class SwaybgWithRecordingRunnerTest : public ::testing::Test {
protected:
    // Each call stands for a new session of the program, whose runner sees other pids.
    TSwaybgWallpaper Desktop() {
        FFirstPid += 100;
        auto runner = std::make_unique<RecordingProcessRunner>(FFirstPid);
        FRunner = runner.get();
        return TSwaybgWallpaper(std::move(runner), StateFolder());
    }
    QString StateFolder() const { return FState.path() + QStringLiteral("/Ornwick/Velloria"); }
    QString Picture(const QString& name = QStringLiteral("p.bmp")) {
        return WritePicture(FState, name, 4, 3);
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
        Picture(QStringLiteral("été ") + QString(200, QLatin1Char('n')) + QStringLiteral(".bmp"));
    const QList<QPair<TLxWallpaperStyle, QString>> modes = {
        {wsTiled, QStringLiteral("tile")},        {wsCentered, QStringLiteral("center")},
        {wsStretched, QStringLiteral("stretch")}, {wsZoomed, QStringLiteral("fill")},
        {wsScaled, QStringLiteral("fit")},        {OutOfRangeStyle, QStringLiteral("center")}};
    for (int i = 0; i < modes.size(); ++i) {
        ASSERT_TRUE(desktop.SetWallpaper(file, modes[i].first))
            << desktop.LastError().toStdString();
        EXPECT_TRUE(desktop.LastError().isEmpty());
        const TStart& start = FRunner->Starts.at(i);
        EXPECT_EQ(start.Program, QStringLiteral("swaybg"));
        EXPECT_EQ(start.Arguments,
                  (QStringList{QStringLiteral("-i"), file, QStringLiteral("-m"), modes[i].second,
                               QStringLiteral("-c"), QStringLiteral("#000000")}));
        QString fileName;
        TLxWallpaperStyle style = OutOfRangeStyle;
        ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
        EXPECT_EQ(fileName, file);
        EXPECT_EQ(style, ValidStyle(modes[i].first));
    }
    ASSERT_EQ(FRunner->Stops.size(), modes.size() - 1);
    for (int i = 0; i < modes.size() - 1; ++i)
        EXPECT_EQ(FRunner->Stops[i], (QPair<qint64, QString>(100 + i, QStringLiteral("swaybg"))));
    EXPECT_EQ(QDir(StateFolder()).entryList(QDir::Files),
              QStringList{QStringLiteral("desktop-wallpaper.json")})
        << "swaybg's message files are gone";
}

// No picture stops our swaybg and is what the state file then holds, in this session and at
// the next login, where Restore starts nothing.
TEST_F(SwaybgWithRecordingRunnerTest, NoPictureStopsOurSwaybgAndIsKept) {
    TSwaybgWallpaper desktop = Desktop();
    ASSERT_TRUE(desktop.SetWallpaper(Picture(), wsTiled));
    ASSERT_TRUE(desktop.SetWallpaper(QString(), wsTiled)) << desktop.LastError().toStdString();
    EXPECT_EQ(FRunner->Starts.size(), 1);
    EXPECT_EQ(FRunner->Stops, (QList<QPair<qint64, QString>>{{100, QStringLiteral("swaybg")}}));
    QString fileName = QStringLiteral("stale");
    TLxWallpaperStyle style = OutOfRangeStyle;
    ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
    EXPECT_EQ(fileName, QString());
    TSwaybgWallpaper later = Desktop();
    ASSERT_TRUE(later.Restore()) << later.LastError().toStdString();
    EXPECT_TRUE(FRunner->Starts.isEmpty());
    EXPECT_TRUE(FRunner->Stops.isEmpty());
}

// Every way a new wallpaper can fail leaves the old swaybg running, the state file as it was
// and no new swaybg behind, and says why.
TEST_F(SwaybgWithRecordingRunnerTest, FailureKeepsTheOldChoiceRunningAndStopsTheNewOne) {
    TSwaybgWallpaper desktop = Desktop();
    ExpectGetFails(desktop);
    const QString old = Picture(QStringLiteral("old.bmp"));
    ASSERT_TRUE(desktop.SetWallpaper(old, wsTiled));
    QFile text(FState.filePath(QStringLiteral("text.jpg")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    struct TCase {
        const char* Name;
        QString File;
        std::function<void(RecordingProcessRunner&)> Prepare;
        QString Reason; // the start of LastError
        bool Started;
    };
    const QString good = Picture(QStringLiteral("new.bmp"));
    const QList<TCase> cases = {
        {"missing file",
         FState.filePath(QStringLiteral("missing.bmp")),
         {},
         QStringLiteral("cannot read the picture ") +
             FState.filePath(QStringLiteral("missing.bmp")),
         false},
        {"undecodable file",
         text.fileName(),
         {},
         QStringLiteral("cannot read the picture ") + text.fileName(),
         false},
        {"swaybg cannot start", good,
         [](RecordingProcessRunner& runner) {
             runner.Failing = true;
             runner.Messages = "exec failed\n";
         },
         QStringLiteral("cannot start swaybg: exec failed"), false},
        {"swaybg cannot load the picture", good,
         [](RecordingProcessRunner& runner) {
             runner.Messages += "2026-12-08 06:49:41 - [background-image.c:30] Failed to load "
                                "background image (Unrecognized image file format).\n"
                                "2026-12-08 06:49:41 - [main.c:621] Failed to load image: x\n";
         },
         QStringLiteral(
             "swaybg: Failed to load background image (Unrecognized image file format)."),
         true},
        {"swaybg exits", good,
         [](RecordingProcessRunner& runner) {
             runner.Exiting = true;
             runner.Messages = "[main.c:500] Unable to connect to the compositor.\n";
         },
         QStringLiteral("swaybg exited: Unable to connect to the compositor."), true},
    };
    for (const TCase& failure : cases) {
        SCOPED_TRACE(failure.Name);
        TSwaybgWallpaper session = Desktop();
        if (failure.Prepare)
            failure.Prepare(*FRunner);
        EXPECT_FALSE(session.SetWallpaper(failure.File, wsStretched));
        EXPECT_TRUE(session.LastError().startsWith(failure.Reason))
            << session.LastError().toStdString();
        EXPECT_EQ(FRunner->Starts.size(), failure.Started || failure.Prepare ? 1 : 0);
        const QList<QPair<qint64, QString>> stopped =
            failure.Started ? QList<QPair<qint64, QString>>{{FFirstPid, QStringLiteral("swaybg")}}
                            : QList<QPair<qint64, QString>>{};
        EXPECT_EQ(FRunner->Stops, stopped) << "only the new swaybg is stopped";
        QString fileName;
        TLxWallpaperStyle style = OutOfRangeStyle;
        ASSERT_TRUE(session.GetWallpaper(fileName, style));
        EXPECT_EQ(fileName, old);
        EXPECT_EQ(style, wsTiled);
    }
}

TEST_F(SwaybgWithRecordingRunnerTest, UnsavedStateStopsTheNewSwaybgAndFails) {
    // A folder where the state file should be: the file cannot be replaced.
    ASSERT_TRUE(QDir().mkpath(WallpaperStateFile(StateFolder())));
    TSwaybgWallpaper desktop = Desktop();
    EXPECT_FALSE(desktop.SetWallpaper(Picture(), wsTiled));
    EXPECT_TRUE(desktop.LastError().startsWith(QStringLiteral("cannot write ")))
        << desktop.LastError().toStdString();
    ASSERT_EQ(FRunner->Starts.size(), 1);
    EXPECT_EQ(FRunner->Stops, (QList<QPair<qint64, QString>>{{100, QStringLiteral("swaybg")}}));
}

TEST_F(SwaybgWithRecordingRunnerTest, RestoreInALaterSessionStartsTheKeptChoice) {
    const QString kept = Picture(QStringLiteral("kept.bmp"));
    ASSERT_TRUE(Desktop().SetWallpaper(kept, wsStretched));
    TSwaybgWallpaper later = Desktop();
    ASSERT_TRUE(later.Restore());
    ASSERT_EQ(FRunner->Starts.size(), 1);
    EXPECT_EQ(
        FRunner->Starts[0].Arguments.mid(0, 4),
        (QStringList{QStringLiteral("-i"), kept, QStringLiteral("-m"), QStringLiteral("stretch")}));
    EXPECT_EQ(FRunner->Stops, (QList<QPair<qint64, QString>>{{100, QStringLiteral("swaybg")}}));

    QFile::remove(WallpaperStateFile(StateFolder()));
    TSwaybgWallpaper fresh = Desktop();
    EXPECT_FALSE(fresh.Restore());
    EXPECT_TRUE(fresh.LastError().startsWith(QStringLiteral("no wallpaper chosen")));
    EXPECT_TRUE(FRunner->Starts.isEmpty());
}

// The state file keeps the style's code: the two shape-keeping styles come back as they were,
// a code past the last one (a damaged or foreign file) as centred.
TEST_F(SwaybgWithRecordingRunnerTest, KeptStyleCodesPastTheLastComeBackCentred) {
    const QString kept = Picture(QStringLiteral("kept.bmp"));
    const struct {
        const char* Code;
        TLxWallpaperStyle Style;
        const char* Mode;
    } cases[] = {{"3", wsZoomed, "fill"},      {"4", wsScaled, "fit"},
                 {"5", wsCentered, "center"},  {"255", wsCentered, "center"},
                 {"-1", wsCentered, "center"}, {"3.5", wsCentered, "center"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Code);
        ASSERT_TRUE(QDir().mkpath(StateFolder()));
        QFile state(WallpaperStateFile(StateFolder()));
        ASSERT_TRUE(state.open(QIODevice::WriteOnly));
        state.write("{\"file\": \"" + QFile::encodeName(kept) + "\", \"style\": " + c.Code + "}");
        state.close();
        TSwaybgWallpaper session = Desktop();
        QString fileName;
        TLxWallpaperStyle style = OutOfRangeStyle;
        ASSERT_TRUE(session.GetWallpaper(fileName, style));
        EXPECT_EQ(fileName, kept);
        EXPECT_EQ(style, c.Style);
        ASSERT_TRUE(session.Restore()) << session.LastError().toStdString();
        ASSERT_EQ(FRunner->Starts.size(), 1);
        EXPECT_EQ(FRunner->Starts[0].Arguments.mid(2, 2),
                  (QStringList{QStringLiteral("-m"), QLatin1String(c.Mode)}));
    }
}

// Only a process that is ours may be signalled: the program's name, this user, and the start
// time recorded with the pid must all match.
TEST(DetachedProcessRunner, OwnProcessNeedsTheNameTheUserAndTheStartTime) {
    TDetachedProcessRunner runner;
    QTemporaryDir folder;
    const TProcessId sleeper = runner.Start(QStringLiteral("sleep"), {QStringLiteral("30")},
                                            folder.filePath(QStringLiteral("err")));
    ASSERT_GT(sleeper.Pid, 0);
    ASSERT_GT(sleeper.StartTime, 0u);
    EXPECT_TRUE(runner.Running(sleeper));
    EXPECT_TRUE(WaitFor([&] { return OwnProcess(sleeper, QStringLiteral("/usr/bin/sleep")); }))
        << "once it runs sleep";
    EXPECT_TRUE(OwnProcess({sleeper.Pid, 0}, QStringLiteral("sleep"))) << "an older state file";
    EXPECT_FALSE(OwnProcess(sleeper, QStringLiteral("swaybg")));
    EXPECT_FALSE(OwnProcess({sleeper.Pid, sleeper.StartTime + 1}, QStringLiteral("sleep")))
        << "the pid reused by a later process";
    EXPECT_FALSE(runner.Running({sleeper.Pid, sleeper.StartTime + 1}));

    // Another user's process: as root, a sleep run as nobody; otherwise init.
    QProcess other;
    TProcessId foreign = ProcessIdOf(1);
    QString foreignName = QStringLiteral("init");
    if (::geteuid() == 0) {
        other.start(QStringLiteral("setpriv"),
                    {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                     QStringLiteral("--clear-groups"), QStringLiteral("sleep"),
                     QStringLiteral("30")});
        ASSERT_TRUE(other.waitForStarted());
        foreign = ProcessIdOf(other.processId());
        foreignName = QStringLiteral("sleep");
        ASSERT_TRUE(WaitFor([&] {
            QFile comm(QStringLiteral("/proc/%1/comm").arg(foreign.Pid));
            return comm.open(QIODevice::ReadOnly) && comm.readAll() == "sleep\n";
        }));
    } else {
        QFile comm(QStringLiteral("/proc/1/comm"));
        ASSERT_TRUE(comm.open(QIODevice::ReadOnly));
        foreignName = QString::fromLocal8Bit(comm.readAll().trimmed());
    }
    ASSERT_GT(foreign.Pid, 0);
    EXPECT_FALSE(OwnProcess(foreign, foreignName)) << "another user's process";
    other.kill();
    other.waitForFinished();

    runner.Stop(sleeper, QStringLiteral("sleep"));
    EXPECT_TRUE(WaitFor([&] { return !runner.Running(sleeper); }));
    EXPECT_EQ(runner.Start(QStringLiteral("/nonexistent/swaybg"), {}, QString()).Pid, 0);
}

TEST(DetachedProcessRunner, StandardStreamsAreDetachedAndErrorsGoToTheFile) {
    TDetachedProcessRunner runner;
    QTemporaryDir folder;
    const QString errorFile = folder.filePath(QStringLiteral("err"));
    runner.Start(
        QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("echo out; echo err >&2; read line; echo done >&2")},
        errorFile);
    QByteArray log;
    EXPECT_TRUE(WaitFor([&] {
        QFile file(errorFile);
        log = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        return log.contains("done");
    })) << "reading standard input ends at once: it is /dev/null";
    EXPECT_EQ(log, "err\ndone\n") << "standard output goes elsewhere";
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
    for (TLxWallpaperStyle style : {wsTiled, wsCentered}) {
        ASSERT_TRUE(desktop.SetWallpaper(picture, style));
        const QImage expected = ExpectedScreen(picture, screen, style);
        EXPECT_TRUE(Shows([&](const QImage& shown) { return shown == expected; })) << style;
        TWallpaperState state;
        ASSERT_TRUE(LoadWallpaperState(FFolder.path(), state));
        if (previousPid) {
            EXPECT_TRUE(WaitFor([&] { return Ended(previousPid); }));
        }
        EXPECT_FALSE(Ended(state.Process.Pid)) << "the new swaybg runs";
        previousPid = state.Process.Pid;
    }
    ASSERT_TRUE(desktop.SetWallpaper(WriteQuarters(FFolder), wsStretched));
    EXPECT_TRUE(
        Shows([](const QImage& shown) { return shown.pixel(48, 36) == qRgb(255, 255, 255); }));
    QImage shown(FFolder.filePath(QStringLiteral("shot.ppm")));
    ExpectStretchedQuarters(shown.convertToFormat(QImage::Format_RGB32));
}

TEST_F(SwaybgOnHeadlessSwayTest, ZoomedCoversTheOutputAndScaledFitsIt) {
    TSwaybgWallpaper desktop(std::make_unique<TDetachedProcessRunner>(), FFolder.path());
    const QString bands = WriteBands(FFolder, 400, 100);
    for (TLxWallpaperStyle style : {wsZoomed, wsScaled}) {
        SCOPED_TRACE(StyleWord(style).toStdString());
        ASSERT_TRUE(desktop.SetWallpaper(bands, style)) << desktop.LastError().toStdString();
        // The zoomed picture leaves no black; the scaled one has black in the top corner.
        const QRgb corner = style == wsZoomed ? qRgb(0, 255, 0) : qRgb(0, 0, 0);
        EXPECT_TRUE(
            Shows([&](const QImage& shown) { return NearColour(shown.pixel(0, 0), corner); }));
        ExpectBands(QImage(FFolder.filePath(QStringLiteral("shot.ppm")))
                        .convertToFormat(QImage::Format_RGB32),
                    style);
        QString fileName;
        TLxWallpaperStyle read = OutOfRangeStyle;
        ASSERT_TRUE(desktop.GetWallpaper(fileName, read));
        EXPECT_EQ(read, style);
    }
}

TEST_F(SwaybgOnHeadlessSwayTest, UnreadablePictureKeepsTheShownOneAndItsRecord) {
    TSwaybgWallpaper desktop(std::make_unique<TDetachedProcessRunner>(), FFolder.path());
    const QString picture = WriteQuarters(FFolder);
    ASSERT_TRUE(desktop.SetWallpaper(picture, wsStretched)) << desktop.LastError().toStdString();
    TWallpaperState before;
    ASSERT_TRUE(LoadWallpaperState(FFolder.path(), before));
    QFile text(FFolder.filePath(QStringLiteral("text.jpg")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    for (const QString& bad : {FFolder.filePath(QStringLiteral("missing.bmp")), text.fileName()}) {
        EXPECT_FALSE(desktop.SetWallpaper(bad, wsTiled));
        EXPECT_FALSE(desktop.LastError().isEmpty());
        TWallpaperState after;
        ASSERT_TRUE(LoadWallpaperState(FFolder.path(), after));
        EXPECT_EQ(after.FileName, picture);
        EXPECT_EQ(after.Process, before.Process);
        EXPECT_TRUE(TDetachedProcessRunner().Running(before.Process));
    }
    EXPECT_TRUE(
        Shows([](const QImage& shown) { return shown.pixel(48, 36) == qRgb(255, 255, 255); }));
}

// A script that captures the tool's output waits for the end of that output: swaybg, which
// outlives the tool, must not hold it open.
TEST_F(SwaybgOnHeadlessSwayTest, ToolReturnsWhenItsOutputIsCaptured) {
    QProcessEnvironment environment = FSway.ClientEnvironment();
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("sway"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), FFolder.filePath(QStringLiteral("data")));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    const QString picture = WriteQuarters(FFolder);
    int exitCode = -1;
    const QString output =
        RunProgram(QStringLiteral("sh"),
                   {QStringLiteral("-c"),
                    QStringLiteral("out=$(\"$0\" set \"$1\" stretched 2>&1) && echo \"$out\""),
                    QStringLiteral(VELLORIA_BINARY_DIR "/tools/velloria-desktop"), picture},
                   exitCode, environment);
    EXPECT_EQ(exitCode, 0) << "did not return within 10 s";
    EXPECT_EQ(output.split(QLatin1Char('\n')).last(), picture) << output.toStdString();
    EXPECT_TRUE(
        Shows([](const QImage& shown) { return shown.pixel(48, 36) == qRgb(255, 255, 255); }));
}

// swaybg loads PNG itself: the tool hands it over as it is. A ".jpeg" goes through the cache.
TEST_F(SwaybgOnHeadlessSwayTest, ToolHandsSwaybgAPngAsItIsAndConvertsAJpegNamedJpeg) {
    QProcessEnvironment environment = FSway.ClientEnvironment();
    environment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("sway"));
    const QString data = FFolder.filePath(QStringLiteral("data"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    const QImage quarters(WriteQuarters(FFolder));
    const QString png = FFolder.filePath(QStringLiteral("quarters.png"));
    const QString jpeg = FFolder.filePath(QStringLiteral("quarters.jpeg"));
    ASSERT_TRUE(quarters.save(png, "PNG"));
    ASSERT_TRUE(quarters.save(jpeg, "JPEG", 100));
    const QList<QPair<QString, QString>> cases = {
        {png, png}, {jpeg, data + QStringLiteral("/Ornwick/Velloria/VL%quarters.bmp")}};
    for (const auto& [file, handed] : cases) {
        int exitCode = -1;
        const QString output = RunProgram(
            QStringLiteral(VELLORIA_BINARY_DIR "/tools/velloria-desktop"),
            {QStringLiteral("set"), file, QStringLiteral("stretched")}, exitCode, environment);
        EXPECT_EQ(exitCode, 0) << file.toStdString();
        EXPECT_EQ(output, handed);
        EXPECT_TRUE(Shows([](const QImage& shown) {
            return NearColour(shown.pixel(48, 36), qRgb(255, 255, 255)) &&
                   NearColour(shown.pixel(16, 12), qRgb(255, 0, 0));
        })) << file.toStdString();
    }
}

// A real swaybg that cannot reach a compositor ends at once; its own words are the reason.
TEST(SwaybgWithoutCompositor, ExitingSwaybgFailsWithItsMessage) {
    QTemporaryDir runtime;
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray savedDisplay = qgetenv("WAYLAND_DISPLAY");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    qputenv("WAYLAND_DISPLAY", "wayland-none");
    TSwaybgWallpaper desktop(std::make_unique<TDetachedProcessRunner>(), runtime.path());
    EXPECT_FALSE(
        desktop.SetWallpaper(WritePicture(runtime, QStringLiteral("p.bmp"), 3, 3), wsTiled));
    // Usually "swaybg exited: ...", or "cannot start swaybg: ..." when it ended before its
    // start was confirmed; either way with swaybg's own words.
    EXPECT_TRUE(desktop.LastError().contains(QStringLiteral("Unable to connect to the compositor")))
        << desktop.LastError().toStdString();
    savedRuntime.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", savedRuntime);
    savedDisplay.isNull() ? qunsetenv("WAYLAND_DISPLAY") : qputenv("WAYLAND_DISPLAY", savedDisplay);
}

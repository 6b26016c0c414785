// Runs the real program with HOME and the XDG folders in a temporary folder, as a user would start
// and close it.

#include "../TestProcesses.h"
#include "../TestXvfb.h"
#include "LXApps.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
constexpr int Deadline = 20000;

// True once the process catches the signal (its SigCgt mask in /proc holds it): from then on
// the signal no longer kills it by its default action.
bool Catches(qint64 pid, int signal) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

// True when the process holds a socket: before its event loop the only one is the connection to
// the X server that it is opening.
bool HoldsASocket(qint64 pid) {
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd :
         fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[64] = {};
        const QByteArray path = QFile::encodeName(fds.filePath(fd));
        if (::readlink(path.constData(), target, sizeof target - 1) > 0 &&
            std::strncmp(target, "socket:", 7) == 0)
            return true;
    }
    return false;
}

// The id of the first shown window on the display whose title is exactly the name, or empty.
QString WindowNamed(const QString& display, const QString& name) {
    QProcess search;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    search.setProcessEnvironment(env);
    search.start("xdotool", {"search", "--onlyvisible", "--name", "^" + name + "$"});
    search.waitForFinished(Deadline);
    return QString::fromLatin1(search.readAllStandardOutput()).trimmed().section('\n', 0, 0);
}

// Keeps an X server stopped (SIGSTOP) while it lives, so that a client connecting to it waits for
// the server's answer; lets it go on when it ends.
class TPausedServer {
public:
    explicit TPausedServer(qint64 pid) : FPid(pid_t(pid)) { ::kill(FPid, SIGSTOP); }
    ~TPausedServer() { ::kill(FPid, SIGCONT); }

private:
    pid_t FPid;
};

class ProgramRun : public ::testing::Test {
protected:
    QTemporaryDir Home;
    QString IniPath() const { return Home.path() + "/config/Ornwick/Velloria/velloria.ini"; }

    QProcessEnvironment Environment(const QString& platform) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", Home.path());
        env.insert("XDG_CONFIG_HOME", Home.path() + "/config");
        env.insert("XDG_DATA_HOME", Home.path() + "/data");
        env.insert("XDG_RUNTIME_DIR", Home.path());
        env.insert("QT_QPA_PLATFORM", platform);
        return env;
    }

    // Waits for the program to end and returns its exit code, or -1 when a signal killed it.
    static int ExitCode(QProcess& program) {
        EXPECT_TRUE(program.state() == QProcess::NotRunning || program.waitForFinished(Deadline));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "ended by a signal";
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }

    // Starts the program and, at the first moment it can take one, sends the termination signal
    // as a logout would; returns its exit code.
    int RunAndTerminate(const QStringList& arguments) {
        QProcess program;
        program.setProcessEnvironment(Environment("offscreen"));
        program.start(VELLORIA_PROGRAM, arguments);
        EXPECT_TRUE(program.waitForStarted(Deadline));
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return Catches(program.processId(), SIGTERM); }, Deadline));
        ::kill(pid_t(program.processId()), SIGTERM);
        return ExitCode(program);
    }

    // The stored session record; the file must be whole: header first, record present.
    TLxSessionInfo StoredSession() const {
        QFile file(IniPath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        EXPECT_TRUE(text.startsWith("[LXS:CONFIG:HEADER]\r\nSchemaVersion=1\r\n\r\n"))
            << text.data();
        const qsizetype at = text.indexOf("SessionInfo=");
        EXPECT_GE(at, 0) << text.data();
        TLxSessionInfo info{};
        if (at >= 0) {
            const QByteArray bytes = QByteArray::fromHex(text.mid(at + 12, 56));
            EXPECT_EQ(bytes.size(), qsizetype(sizeof info)) << text.data();
            std::memcpy(&info, bytes.constData(), std::min<size_t>(sizeof info, bytes.size()));
        }
        return info;
    }
};

class TerminationDuringStartUp : public ProgramRun, public ::testing::WithParamInterface<int> {};
class ReadHangingOnAStandInShare : public ProgramRun, public ::testing::WithParamInterface<int> {};
} // namespace

// A picture in view whose read never returns, as on a dead network share (a preloaded stand-in
// blocks that read in the kernel): a termination or logout signal still ends the program, which
// saves its session on the way out instead of waiting for the worker.
TEST_P(ReadHangingOnAStandInShare, EndsAndSavesWhileTheReadHangs) {
    QTemporaryDir pictures;
    const QString flag = Home.path() + "/read-started";
    QFile hanging(pictures.filePath("hang.bmp"));
    ASSERT_TRUE(hanging.open(QIODevice::WriteOnly));
    hanging.write("BM");
    hanging.close();
    QProcessEnvironment env = Environment("offscreen");
    env.insert("LD_PRELOAD", VELLORIA_READ_HANG_STAND_IN);
    env.insert("VELLORIA_TEST_HANG_NAME", "/hang.bmp");
    env.insert("VELLORIA_TEST_HANG_FLAG", flag);
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(VELLORIA_PROGRAM, {pictures.path()});
    ASSERT_TRUE(program.waitForStarted(Deadline));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(flag); }, Deadline))
        << "the picture was never read";
    ::kill(pid_t(program.processId()), GetParam());
    EXPECT_EQ(ExitCode(program), 0);
    const TLxSessionInfo session = StoredSession();
    EXPECT_EQ(session.RunCount, 1);
    EXPECT_GE(session.LastExit, session.LastStart);
    QFile ini(IniPath());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains(QFile::encodeName(pictures.path())));
}

INSTANTIATE_TEST_SUITE_P(ProgramRun, ReadHangingOnAStandInShare, ::testing::Values(SIGTERM, SIGHUP),
                         [](const auto& info) { return std::string(strsignal(info.param)); });

TEST_F(ProgramRun, RunsCountUpAndFirstStartIsKept) {
    ASSERT_EQ(RunAndTerminate({}), 0);
    const TLxSessionInfo first = StoredSession();
    EXPECT_EQ(first.RunCount, 1);
    EXPECT_GT(first.LastExit, first.FirstStart);

    ASSERT_EQ(RunAndTerminate({}), 0);
    const TLxSessionInfo second = StoredSession();
    EXPECT_EQ(second.RunCount, 2);
    EXPECT_EQ(second.FirstStart, first.FirstStart);
    EXPECT_GT(second.LastStart, first.LastStart);

    ASSERT_EQ(RunAndTerminate({"-nc"}), 0);
    const TLxSessionInfo fresh = StoredSession();
    EXPECT_EQ(fresh.RunCount, 1);
    EXPECT_GT(fresh.FirstStart, second.LastExit);
}

// Under a plain X window manager there is no session bus: the program must not get one launched
// for it (Qt asks for the bus while it starts), since that bus would outlive it.
TEST_F(ProgramRun, WithoutASessionBusNoBusIsLeftBehind) {
    TTestXvfb xvfb;
    ASSERT_FALSE(xvfb.Display().isEmpty());
    const QByteArray marker = "VELLORIA_TEST_RUN=" + QByteArray::number(::getpid()) + "-bus";
    QProcessEnvironment env = Environment("xcb");
    env.insert("DISPLAY", xvfb.Display());
    env.insert("VELLORIA_TEST_RUN", QString::fromLatin1(marker.mid(marker.indexOf('=') + 1)));
    for (const char* name : {"DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP"})
        env.remove(name);
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(VELLORIA_PROGRAM, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !WindowNamed(xvfb.Display(), "Velloria").isEmpty(); },
                                Deadline));
    ::kill(pid_t(program.processId()), SIGTERM);
    EXPECT_EQ(ExitCode(program), 0);
    EXPECT_EQ(LeftBehind(marker), QStringList());
}

// The signal comes again and again from the first moment the program can catch it until it has
// ended: before its loop, while it closes, while it saves. It ends cleanly and saves whole.
TEST_P(TerminationDuringStartUp, RepeatedSignalsEndTheProgramCleanly) {
    ASSERT_EQ(RunAndTerminate({}), 0);
    QProcess program;
    program.setProcessEnvironment(Environment("offscreen"));
    program.start(VELLORIA_PROGRAM, {});
    ASSERT_TRUE(program.waitForStarted(Deadline));
    const qint64 pid = program.processId();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Catches(pid, GetParam()); }, Deadline));
    QDeadlineTimer deadline(Deadline);
    while (!program.waitForFinished(1) && !deadline.hasExpired())
        ::kill(pid_t(pid), GetParam());
    EXPECT_EQ(ExitCode(program), 0);
    EXPECT_EQ(StoredSession().RunCount, 2);
}

INSTANTIATE_TEST_SUITE_P(ProgramRun, TerminationDuringStartUp,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

// The settings file appears while the settings load, before the window is up.
TEST_F(ProgramRun, TerminationRightAfterTheSettingsFileAppearsSavesTheSession) {
    QProcess program;
    program.setProcessEnvironment(Environment("offscreen"));
    program.start(VELLORIA_PROGRAM, {});
    ASSERT_TRUE(program.waitForStarted(Deadline));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(IniPath()); }, Deadline));
    ::kill(pid_t(program.processId()), SIGTERM);
    EXPECT_EQ(ExitCode(program), 0);
    EXPECT_EQ(StoredSession().RunCount, 1);
}

// The earliest moment our code runs that a test can hold still: the program is opening its
// display and the X server does not answer yet. The signal is kept until the loop runs.
TEST_F(ProgramRun, TerminationWhileTheDisplayOpensSavesTheSession) {
    TTestXvfb xvfb;
    ASSERT_FALSE(xvfb.Display().isEmpty()) << "Xvfb did not start";
    QProcessEnvironment env = Environment("xcb");
    env.insert("DISPLAY", xvfb.Display());
    QProcess program;
    program.setProcessEnvironment(env);
    {
        const TPausedServer paused(xvfb.ProcessId());
        program.start(VELLORIA_PROGRAM, {});
        ASSERT_TRUE(program.waitForStarted(Deadline));
        ASSERT_TRUE(QTest::qWaitFor([&] { return HoldsASocket(program.processId()); }, Deadline));
        EXPECT_FALSE(QFileInfo::exists(IniPath()));
        ::kill(pid_t(program.processId()), SIGTERM);
    }
    EXPECT_EQ(ExitCode(program), 0);
    EXPECT_EQ(StoredSession().RunCount, 1);
}

TEST_F(ProgramRun, HelpAndVersionAnswerWithoutAWindow) {
    QProcess program;
    QProcessEnvironment env = Environment("offscreen");
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    program.setProcessEnvironment(env);
    program.start(VELLORIA_PROGRAM, {"--version"});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(program.readAllStandardOutput().startsWith("velloria 1."));
    program.start(VELLORIA_PROGRAM, {"--help"});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(program.readAllStandardOutput().contains("-noconfig"));
    EXPECT_FALSE(QFileInfo::exists(IniPath()));
}

TEST_F(ProgramRun, NoDisplayReportsOnStandardError) {
    QProcess program;
    QProcessEnvironment env = Environment("xcb");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    program.setProcessEnvironment(env);
    program.start(VELLORIA_PROGRAM, {});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_TRUE(program.readAllStandardError().contains("Cannot open a display"));
}

// A newer schema ends start-up with the last-chance box on a real X server. A person reads it and
// presses Enter, or a logout sends the termination signal; either way the program ends with
// code 1 and the report on standard error.
class LastChanceReport : public ProgramRun, public ::testing::WithParamInterface<bool> {};

TEST_P(LastChanceReport, EndsTheProgramWhenDismissedOrTerminated) {
    const bool terminate = GetParam();
    TTestXvfb xvfb;
    ASSERT_FALSE(xvfb.Display().isEmpty()) << "Xvfb did not start";
    QDir().mkpath(Home.path() + "/config/Ornwick/Velloria");
    QFile file(IniPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[LXS:CONFIG:HEADER]\r\nSchemaVersion=2\r\n");
    file.close();

    QProcessEnvironment env = Environment("xcb");
    env.insert("DISPLAY", xvfb.Display());
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(VELLORIA_PROGRAM, {});
    ASSERT_TRUE(program.waitForStarted(Deadline));

    QString window;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !(window = WindowNamed(xvfb.Display(), "Application Error")).isEmpty(); },
        Deadline))
        << "no Application Error window";
    if (terminate)
        ::kill(pid_t(program.processId()), SIGTERM);
    else
        QProcess::execute("env", {"DISPLAY=" + xvfb.Display(), "xdotool", "windowfocus", "--sync",
                                  window, "key", "Return"});
    EXPECT_EQ(ExitCode(program), 1);
    const QString error = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_TRUE(error.contains("Exception Exception in module velloria at "))
        << error.toStdString();
    EXPECT_TRUE(error.contains("Unsupported schema version: 2")) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(ProgramRun, LastChanceReport, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "Terminated" : "Dismissed");
});

// Without a display (nor a session bus) the program runs on a private Xvfb. A TERM to the whole
// process group, as timeout or a service manager sends it, must leave the display up until the
// program has saved, and no Xvfb of the run may be left afterwards.
TEST_F(ProgramRun, HeadlessRunSavesTheSessionWhenItsProcessGroupIsTerminated) {
    QProcessEnvironment env = Environment("xcb");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    QProcess run;
    run.setProcessEnvironment(env);
    // The script leads a process group of its own, as under timeout or a service manager.
    run.setChildProcessModifier([] { ::setsid(); });
    run.start(VELLORIA_HEADLESS, {"--screenshot", VELLORIA_SCREENSHOT_TOOL,
                                  Home.filePath("screen.png"), VELLORIA_PROGRAM});
    ASSERT_TRUE(run.waitForStarted(Deadline));
    // However the test ends, the run gets its TERM and is waited for.
    const std::unique_ptr<QProcess, void (*)(QProcess*)> ender(&run, [](QProcess* process) {
        if (process->state() != QProcess::NotRunning) {
            ::kill(-pid_t(process->processId()), SIGTERM);
            process->waitForFinished(Deadline);
        }
    });
    const QRegularExpression announcement("virtual X display (:\\d+) \\(Xvfb, process (\\d+)\\)");
    QRegularExpressionMatch announced;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            run.waitForReadyRead(100);
            announced = announcement.match(QString::fromLocal8Bit(run.peek(4096)));
            return announced.hasMatch();
        },
        Deadline))
        << "no display announced";
    const QString display = announced.captured(1);
    const pid_t xvfb = announced.captured(2).toInt();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !WindowNamed(display, "Velloria").isEmpty(); }, Deadline))
        << "no Velloria window";

    ::kill(-pid_t(run.processId()), SIGTERM);
    EXPECT_EQ(ExitCode(run), 0) << run.readAllStandardError().toStdString();
    EXPECT_EQ(StoredSession().RunCount, 1);
    EXPECT_EQ(::kill(xvfb, 0), -1) << "Xvfb of the run is still there";
}

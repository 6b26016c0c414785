// Runs the real program with HOME and the XDG folders in a temporary folder, as a user would start
// and close it.

#include "../TestXvfb.h"
#include "LXApps.h"

#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {
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

    // Starts the program, waits until its settings are loaded (the file then exists), closes it
    // with SIGTERM as a logout would, and returns its exit code.
    int RunAndTerminate(const QStringList& arguments) {
        QProcess program;
        program.setProcessEnvironment(Environment("offscreen"));
        program.start(VELLORIA_PROGRAM, arguments);
        EXPECT_TRUE(program.waitForStarted(10000));
        for (int i = 0; i < 200 && !QFileInfo::exists(IniPath()); ++i)
            QThread::msleep(50);
        QThread::msleep(300);
        ::kill(pid_t(program.processId()), SIGTERM);
        EXPECT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        return program.exitCode();
    }

    TLxSessionInfo StoredSession() const {
        QFile file(IniPath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        const qsizetype at = text.indexOf("SessionInfo=");
        TLxSessionInfo info{};
        if (at >= 0) {
            const QByteArray bytes = QByteArray::fromHex(text.mid(at + 12, 56));
            std::memcpy(&info, bytes.constData(), std::min<size_t>(sizeof info, bytes.size()));
        }
        return info;
    }
};
} // namespace

TEST_F(ProgramRun, RunsCountUpAndFirstStartIsKept) {
    ASSERT_EQ(RunAndTerminate({}), 0);
    const TLxSessionInfo first = StoredSession();
    EXPECT_EQ(first.RunCount, 1);
    EXPECT_GT(first.LastExit, first.FirstStart);
    QFile file(IniPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("[LXS:CONFIG:HEADER]\r\nSchemaVersion=1\r\n\r\n"));

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

// A newer schema ends start-up with the last-chance box on a real X server; a person reads it
// and presses Enter.
TEST_F(ProgramRun, UnsupportedSchemaEndsWithTheLastChanceReport) {
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
    ASSERT_TRUE(program.waitForStarted(10000));

    QProcess search;
    search.setProcessEnvironment(env);
    QString window;
    for (int i = 0; i < 100 && window.isEmpty(); ++i) {
        search.start("xdotool", {"search", "--name", "^Application Error$"});
        search.waitForFinished(5000);
        window = QString::fromLatin1(search.readAllStandardOutput()).trimmed().section('\n', 0, 0);
        if (window.isEmpty())
            QThread::msleep(100);
    }
    ASSERT_FALSE(window.isEmpty()) << "no Application Error window";
    QProcess::execute("env", {"DISPLAY=" + xvfb.Display(), "xdotool", "windowfocus", "--sync",
                              window, "key", "Return"});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 1);
    const QString error = QString::fromLocal8Bit(program.readAllStandardError());
    EXPECT_TRUE(error.contains("Exception Exception in module velloria at "))
        << error.toStdString();
    EXPECT_TRUE(error.contains("Unsupported schema version: 2")) << error.toStdString();
}

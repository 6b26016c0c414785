// The velloria-desktop command in sessions made up for it: none at all, a plain X server, and
// a GNOME session on GSettings' keyfile backend.
#include "../TestProcesses.h"
#include "TestPeers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>

namespace {
const QString Tool = QStringLiteral(VELLORIA_BINARY_DIR "/tools/velloria-desktop");

class DesktopToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SWAYSOCK", "XDG_CURRENT_DESKTOP",
                                 "XDG_SESSION_TYPE", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM"})
            FEnvironment.remove(QString::fromLatin1(name));
        FEnvironment.insert(QStringLiteral("XDG_DATA_HOME"),
                            FHome.filePath(QStringLiteral("data")));
        FEnvironment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                            FHome.filePath(QStringLiteral("config")));
    }
    QString Run(const QStringList& arguments, int expectedExitCode) {
        int exitCode = -1;
        const QString output = RunProgram(Tool, arguments, exitCode, FEnvironment);
        EXPECT_EQ(exitCode, expectedExitCode) << arguments.join(QLatin1Char(' ')).toStdString();
        return output;
    }
    QString Picture() {
        const QString file = FHome.filePath(QStringLiteral("sea view.bmp"));
        QImage picture(3, 2, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        EXPECT_TRUE(picture.save(file, "BMP"));
        return file;
    }

    QTemporaryDir FHome;
    QProcessEnvironment FEnvironment = QProcessEnvironment::systemEnvironment();
};
} // namespace

TEST_F(DesktopToolTest, WithoutADesktopNothingCanBeAskedOrSet) {
    EXPECT_EQ(Run({QStringLiteral("detect")}, 0), QStringLiteral("none"));
    EXPECT_EQ(Run({QStringLiteral("get")}, 1), QString());
    Run({QStringLiteral("set"), Picture(), QStringLiteral("tiled")}, 1);
    Run({QStringLiteral("restore")}, 0);
    Run({QStringLiteral("set"), Picture(), QStringLiteral("Tiled")}, 2);
    Run({}, 2);
}

TEST_F(DesktopToolTest, PlainX11SessionUsesTheRootWindowAndItsStateFile) {
    TVirtualDisplay display({QStringLiteral("16x16x24")});
    ASSERT_FALSE(display.Name().isEmpty());
    FEnvironment.insert(QStringLiteral("DISPLAY"), display.Name());
    FEnvironment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("x11"));
    EXPECT_EQ(Run({QStringLiteral("detect")}, 0), QStringLiteral("x11-root"));
    EXPECT_EQ(Run({QStringLiteral("get")}, 0), QStringLiteral("centered")) << "no picture yet";
    const QString file = Picture();
    for (const QString& style :
         {QStringLiteral("zoomed"), QStringLiteral("scaled"), QStringLiteral("tiled")}) {
        Run({QStringLiteral("set"), file, style}, 0);
        EXPECT_EQ(Run({QStringLiteral("get")}, 0), style + QLatin1Char('\t') + file);
    }
    Run({QStringLiteral("restore")}, 0);
    int exitCode = -1;
    EXPECT_TRUE(RunProgram(QStringLiteral("xprop"),
                           {QStringLiteral("-root"), QStringLiteral("_XROOTPMAP_ID")}, exitCode,
                           FEnvironment)
                    .startsWith(QStringLiteral("_XROOTPMAP_ID(PIXMAP): pixmap id # 0x")));
}

// A line break in a file name would make get's one line two: it and the backslash that escapes it
// are written as "\n" and "\\", by get and by set alike.
TEST_F(DesktopToolTest, FileNamesStayOnOneLine) {
    TVirtualDisplay display({QStringLiteral("16x16x24")});
    ASSERT_FALSE(display.Name().isEmpty());
    FEnvironment.insert(QStringLiteral("DISPLAY"), display.Name());
    FEnvironment.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("x11"));
    const QString file = FHome.filePath(QStringLiteral("two\nlines\\here.bmp"));
    ASSERT_TRUE(QFile::copy(Picture(), file));
    const QString escaped = FHome.filePath(QStringLiteral("two\\nlines\\\\here.bmp"));
    EXPECT_EQ(Run({QStringLiteral("set"), file, QStringLiteral("tiled")}, 0), escaped);
    EXPECT_EQ(Run({QStringLiteral("get")}, 0), QStringLiteral("tiled\t") + escaped);
}

TEST_F(DesktopToolTest, GnomeSessionGoesThroughGSettings) {
    FEnvironment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("ubuntu:GNOME"));
    FEnvironment.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
    EXPECT_EQ(Run({QStringLiteral("detect")}, 0), QStringLiteral("gnome"));
    const QString file = Picture();
    Run({QStringLiteral("set"), file, QStringLiteral("stretched")}, 0);
    EXPECT_EQ(Run({QStringLiteral("get")}, 0), QStringLiteral("stretched\t") + file);
    int exitCode = -1;
    EXPECT_EQ(RunProgram(QStringLiteral("gsettings"),
                         {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.background"),
                          QStringLiteral("picture-uri")},
                         exitCode, FEnvironment),
              QStringLiteral("'file://") + FHome.path() + QStringLiteral("/sea%20view.bmp'"));
}

// Under a plain X window manager no session bus exists: nothing may launch one (or the dconf
// service on it) that outlives the tool. GIO's usual backend is dconf here, as for a user.
TEST_F(DesktopToolTest, WithoutASessionBusNoBusOrSettingsServiceIsLeftBehind) {
    TVirtualDisplay display({QStringLiteral("16x16x24")});
    ASSERT_FALSE(display.Name().isEmpty());
    const QByteArray marker = "VELLORIA_TEST_RUN=" + QUuid::createUuid().toByteArray();
    FEnvironment.insert(QStringLiteral("VELLORIA_TEST_RUN"),
                        QString::fromLatin1(marker.mid(marker.indexOf('=') + 1)));
    FEnvironment.insert(QStringLiteral("DISPLAY"), display.Name());
    FEnvironment.insert(QStringLiteral("HOME"), FHome.path());
    FEnvironment.remove(QStringLiteral("GSETTINGS_BACKEND"));
    const QString file = Picture();
    for (const QString& desktop : {QString(), QStringLiteral("GNOME")}) {
        SCOPED_TRACE(desktop.toStdString());
        FEnvironment.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), desktop);
        const bool gnome = !desktop.isEmpty();
        EXPECT_EQ(Run({QStringLiteral("detect")}, 0),
                  gnome ? QStringLiteral("gnome") : QStringLiteral("x11-root"));
        Run({QStringLiteral("set"), file, QStringLiteral("tiled")}, gnome ? 1 : 0);
        Run({QStringLiteral("get")}, gnome ? 1 : 0);
        Run({QStringLiteral("restore")}, 0);
        EXPECT_EQ(LeftBehind(marker), QStringList());
    }
}

TEST_F(DesktopToolTest, WithoutAHomeFolderItSaysSoInsteadOfWritingAtTheRoot) {
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        FEnvironment.remove(QString::fromLatin1(name));
    FEnvironment.insert(QStringLiteral("HOME"), QString());
    for (const char* command : {"detect", "get"}) {
        QProcess tool;
        tool.setProcessEnvironment(FEnvironment);
        tool.start(Tool, {QString::fromLatin1(command)});
        ASSERT_TRUE(tool.waitForFinished(20000)) << command;
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit) << command;
        EXPECT_EQ(tool.exitCode(), 1) << command;
        EXPECT_TRUE(tool.readAllStandardError().contains("No home folder")) << command;
    }
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/desktop-wallpaper.json")));
}

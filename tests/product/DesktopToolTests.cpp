// velloria-desktop set on a plain X server: pictures other than BMP and JPEG reach the desktop
// through the cache, and those that cannot be converted leave it unchanged.

#include "../TestXvfb.h"
#include "../pictures/GifSamples.h"
#include "../pictures/SampleFiles.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

namespace {
class DesktopTool : public ::testing::Test {
protected:
    QTemporaryDir Home;
    TTestXvfb Xvfb;
    // The session the tool runs in: a plain X server unless a test says otherwise.
    std::map<QString, QString> Session{{"DISPLAY", Xvfb.Display()}, {"XDG_SESSION_TYPE", "x11"}};

    struct TResult {
        int ExitCode;
        QString Output;
        QString Error;
    };

    TResult Run(const QStringList& arguments) {
        return RunProgram(VELLORIA_BINARY_DIR "/tools/velloria-desktop", arguments);
    }

    TResult RunProgram(const QString& program, const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"WAYLAND_DISPLAY", "SWAYSOCK", "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION",
              "KDE_FULL_SESSION", "DBUS_SESSION_BUS_ADDRESS", "QT_QPA_PLATFORM"})
            env.remove(name);
        for (const auto& [name, value] : Session)
            env.insert(name, value);
        env.insert("XDG_DATA_HOME", Home.path() + "/data");
        env.insert("XDG_CONFIG_HOME", Home.path() + "/config");
        env.insert("XDG_RUNTIME_DIR", Home.path());
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.start(program, arguments);
        EXPECT_TRUE(tool.waitForFinished(20000));
        return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()).trimmed(),
                QString::fromUtf8(tool.readAllStandardError()).trimmed()};
    }

    QString Write(const QString& name, const QByteArray& bytes) {
        QFile file(Home.path() + "/" + name);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QString Cache() const { return Home.path() + "/data/Ornwick/Velloria/"; }

    // A GNOME session on GSettings' keyfile backend in the temporary home.
    void UseGnome() {
        Session["XDG_CURRENT_DESKTOP"] = "GNOME";
        Session["GSETTINGS_BACKEND"] = "keyfile";
        ASSERT_EQ(Run({"detect"}).Output, "gnome");
    }
    TResult GSettings(const QStringList& arguments) {
        return RunProgram("gsettings", QStringList{arguments[0], "org.gnome.desktop.background"} +
                                           arguments.mid(1));
    }
};
} // namespace

TEST_F(DesktopTool, GifIsConvertedAndIconRefused) {
    ASSERT_FALSE(Xvfb.Display().isEmpty());
    const QString gifFile = Write("été à Zürich.gif", RedBlueGif(2, 2, QByteArray("\0\1\1\0", 4)));

    const TResult set = Run({"set", gifFile, "centered"});
    EXPECT_EQ(set.ExitCode, 0) << set.Error.toStdString();
    EXPECT_EQ(set.Output, Cache() + "VL%été à Zürich.bmp");
    EXPECT_EQ(QImage(set.Output).size(), QSize(2, 2));
    EXPECT_EQ(Run({"get"}).Output, "centered\t" + Cache() + "VL%été à Zürich.bmp");

    const TResult icon = Run({"set", Write("app.ico", SolidIcon(qRgb(1, 2, 3))), "tiled"});
    EXPECT_EQ(icon.ExitCode, 1);
    EXPECT_EQ(icon.Error, "EConvertError: Cannot assign a TIcon to a TBitmap");
    EXPECT_EQ(Run({"get"}).Output, "centered\t" + Cache() + "VL%été à Zürich.bmp");

    const TResult unknown = Run({"set", Write("notes.txt", "text"), "tiled"});
    EXPECT_EQ(unknown.ExitCode, 1);
    EXPECT_EQ(unknown.Error, "EInvalidGraphic: Unknown picture file extension (.txt)");
}

TEST_F(DesktopTool, RefusalsAndMismatchesAreFailures) {
    ASSERT_FALSE(Xvfb.Display().isEmpty());
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString bmp = Home.path() + "/sea.bmp";
    ASSERT_TRUE(image.save(bmp, "BMP"));
    // Nothing chosen yet on a plain X server: get fails and says why.
    const TResult unknown = Run({"get"});
    EXPECT_EQ(unknown.ExitCode, 1);
    EXPECT_TRUE(unknown.Error.startsWith(
        "EDesktopError: The desktop cannot tell which wallpaper it shows: no wallpaper chosen"))
        << unknown.Error.toStdString();
    EXPECT_EQ(Run({"set", bmp, "tiled"}).ExitCode, 0);

    // The state file still names the same file: only the desktop's answer tells the truth.
    Session["DISPLAY"] = ":1999";
    for (const char* style : {"stretched", "tiled"}) {
        const TResult refused = Run({"set", bmp, style});
        EXPECT_EQ(refused.ExitCode, 1) << style;
        EXPECT_TRUE(refused.Error.startsWith("EDesktopError: The desktop did not take the "
                                             "wallpaper \"" +
                                             bmp + "\""))
            << refused.Error.toStdString();
        EXPECT_TRUE(refused.Output.isEmpty());
    }
    Session["DISPLAY"] = Xvfb.Display();
    EXPECT_EQ(Run({"get"}).Output, "tiled\t" + bmp);

    ASSERT_TRUE(QFile::remove(bmp));
    const TResult restore = Run({"restore"});
    EXPECT_EQ(restore.ExitCode, 1);
    EXPECT_TRUE(
        restore.Error.startsWith("EDesktopError: The desktop did not take the last wallpaper back"))
        << restore.Error.toStdString();
}

// GNOME gets its own file back as it is, whatever its format (here its XML slideshow, in a new
// style), and never a file that is no picture.
TEST_F(DesktopTool, GnomeTakesItsOwnFileAsItIsAndNoFileThatIsNoPicture) {
    UseGnome();
    const QString own = Write("adwaita-timed.xml", "<background/>");
    const QString uri = "'file://" + own + "'";
    ASSERT_EQ(GSettings({"set", "picture-uri", uri}).ExitCode, 0);
    ASSERT_EQ(GSettings({"set", "picture-options", "zoom"}).ExitCode, 0);
    ASSERT_EQ(Run({"get"}).Output, "centered\t" + own);
    const std::pair<QString, QString> cases[] = {
        {own, ""},
        {Home.path() + "/missing.bmp", "EFOpenError: Cannot open file \"" + Home.path() +
                                           "/missing.bmp\". No such file or directory"},
        {Write("notes.jpg", "some text"), "EInvalidGraphic: Cannot use \"" + Home.path() +
                                              "/notes.jpg\" as wallpaper. JPEG error #53"},
        {Write("other.xcf", "gimp xcf"), "EInvalidGraphic: Unknown picture file extension (.xcf)"},
    };
    for (const auto& [file, error] : cases) {
        const TResult set = Run({"set", file, "stretched"});
        EXPECT_EQ(set.ExitCode, error.isEmpty() ? 0 : 1) << file.toStdString();
        EXPECT_EQ(set.Error, error);
        EXPECT_EQ(GSettings({"get", "picture-uri"}).Output, uri);
    }
    EXPECT_EQ(GSettings({"get", "picture-options"}).Output, "'stretched'");
    EXPECT_TRUE(QDir(Cache()).entryList({"VL%*"}).isEmpty());
}

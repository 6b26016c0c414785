// The real velloria program on a private X server, driven with xdotool as a person would drive it:
// keyboard and mouse selection, Change in each style read back from the root window's pixels,
// Restore, View, Options, Cleanup and Exit, then the settings file and a second start.

#include "../SessionEnvironment.h"
#include "../TestXvfb.h"
#include "../desktop/TestPeers.h"
#include "../pictures/GifSamples.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {
constexpr int Deadline = 20000;
constexpr QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), Yellow = qRgb(255, 255, 0),
               Green = qRgb(0, 255, 0), Magenta = qRgb(255, 0, 255);

// The colour the screen shows at one point (windows included), or, with wallpaper set, the colour
// the root window's wallpaper pixmap has there.
QRgb Pixel(const QString& display, int x, int y, bool wallpaper) {
    xcb_connection_t* connection = xcb_connect(display.toLatin1().constData(), nullptr);
    QRgb colour = 1; // no colour of a picture: the alpha byte is 0
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const char name[] = "_XROOTPMAP_ID";
    auto* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, std::strlen(name), name), nullptr);
    auto* property =
        atom ? xcb_get_property_reply(
                   connection,
                   xcb_get_property(connection, 0, screen->root, atom->atom, XCB_ATOM_PIXMAP, 0, 1),
                   nullptr)
             : nullptr;
    if (!wallpaper || (property && xcb_get_property_value_length(property) == 4)) {
        const xcb_drawable_t pixmap =
            wallpaper ? *static_cast<xcb_pixmap_t*>(xcb_get_property_value(property))
                      : screen->root;
        auto* image = xcb_get_image_reply(
            connection,
            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, x, y, 1, 1, ~0u), nullptr);
        if (image && xcb_get_image_data_length(image) >= 4) {
            quint32 value = 0;
            std::memcpy(&value, xcb_get_image_data(image), 4);
            colour = 0xFF000000u | value;
        }
        std::free(image);
    }
    std::free(property);
    std::free(atom);
    xcb_disconnect(connection);
    return colour;
}

class EndToEnd : public ::testing::Test {
protected:
    QTemporaryDir Home;
    // A space in the folder name: the settings file must quote it.
    QString Pictures = Home.path() + "/My Pictures";
    QString Cache = Home.path() + "/data/Ornwick/Velloria";
    QString Ini = Home.path() + "/config/Ornwick/Velloria/velloria.ini";
    TTestXvfb Xvfb;
    QProcess Program;

    void SetUp() override {
        ASSERT_FALSE(Xvfb.Display().isEmpty());
        QDir().mkpath(Pictures);
        WritePicture("red.bmp", Red, "BMP");
        QFile gif(Pictures + "/blue.gif");
        ASSERT_TRUE(gif.open(QIODevice::WriteOnly));
        gif.write(RedBlueGif(40, 30, QByteArray(40 * 30, '\1')));
        gif.close();
        WritePicture(Home.path() + "/start.bmp", Yellow, "BMP");
        // Four times as wide as high: magenta outer quarters around a green middle half.
        QImage wide(80, 20, QImage::Format_RGB32);
        wide.fill(Magenta);
        for (int y = 0; y < 20; ++y)
            for (int x = 20; x < 60; ++x)
                wide.setPixel(x, y, Green);
        ASSERT_TRUE(wide.save(Pictures + "/wide.bmp", "BMP"));
    }
    void TearDown() override {
        if (Program.state() != QProcess::NotRunning) {
            Program.kill();
            Program.waitForFinished(Deadline);
        }
    }

    // The session bus of the run; none unless a test starts one.
    QString BusAddress;

    QProcessEnvironment Environment() const {
        QProcessEnvironment env = PrivateSessionEnvironment(Home.path(), Xvfb.Display());
        if (!BusAddress.isEmpty())
            env.insert("DBUS_SESSION_BUS_ADDRESS", BusAddress);
        return env;
    }
    // Runs the program to its end; its exit code, or -1 when it did not end by itself.
    int RunToEnd(const QString& program, const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(Environment());
        process.start(program, arguments);
        const bool ended = process.waitForFinished(Deadline);
        return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    void WritePicture(const QString& name, QRgb colour, const char* format) {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = name.startsWith('/') ? name : Pictures + "/" + name;
        ASSERT_TRUE(image.save(path, format)) << path.toStdString();
    }

    QString Run(const QString& program, const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(Environment());
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(Deadline)) << program.toStdString();
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }
    QString XdoTool(const QStringList& arguments) const { return Run("xdotool", arguments); }
    QString DesktopStyle() const {
        return Run(VELLORIA_BINARY_DIR "/tools/velloria-desktop", {"get"}).section('\t', 0, 0);
    }

    // The one visible window with exactly this title, or empty.
    QString Window(const QString& title) const {
        return XdoTool({"search", "--onlyvisible", "--name",
                        "^" + QRegularExpression::escape(title) + "$"})
            .section('\n', 0, 0);
    }
    QString WaitForWindow(const QString& title) const {
        QString id;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !(id = Window(title)).isEmpty(); }, Deadline))
            << title.toStdString();
        return id;
    }
    QRect Geometry(const QString& window) const {
        const QString text = XdoTool({"getwindowgeometry", "--shell", window});
        auto value = [&](const char* key) {
            return QRegularExpression(QString("%1=(-?\\d+)").arg(key))
                .match(text)
                .captured(1)
                .toInt();
        };
        return {value("X"), value("Y"), value("WIDTH"), value("HEIGHT")};
    }

    // Starts the program and waits for its main window, focused.
    QString Start(const QStringList& arguments) {
        Program.setProcessEnvironment(Environment());
        Program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Program.start(VELLORIA_PROGRAM, arguments);
        EXPECT_TRUE(Program.waitForStarted(Deadline));
        const QString main = WaitForWindow("Velloria");
        Focus(main);
        return main;
    }
    void Focus(const QString& window) const { XdoTool({"windowfocus", "--sync", window}); }
    // File > Exit, as a person ends the program; its exit code once it has ended.
    int Exit() {
        Keys({"alt+f", "x"});
        EXPECT_TRUE(Program.waitForFinished(Deadline));
        return Program.exitCode();
    }
    // The settings file as the program left it.
    QString SavedSettings() const {
        QFile ini(Ini);
        EXPECT_TRUE(ini.open(QIODevice::ReadOnly));
        return QString::fromUtf8(ini.readAll());
    }
    // Typed on the keyboard, as a person types: to the window with the input focus, or to the
    // menu that grabbed the keyboard.
    void Keys(const QStringList& keys) const {
        XdoTool(QStringList{"key", "--clearmodifiers"} + keys);
    }
    void ClickAt(const QString& window, QPoint point) const {
        XdoTool({"mousemove", "--window", window, QString::number(point.x()),
                 QString::number(point.y()), "click", "1"});
    }
    // Whether the wallpaper shows the colour in the middle of the screen, and also in its
    // corner or not.
    bool RootShows(QRgb centre, bool cornerToo) const {
        const QRgb corner = Pixel(Xvfb.Display(), 2, 2, true);
        return Pixel(Xvfb.Display(), 400, 300, true) == centre && (corner == centre) == cornerToo;
    }
    // Waits until the window shows the colour at a point of its own.
    bool WaitForColour(const QString& window, QPoint point, QRgb colour) const {
        const QPoint at = Geometry(window).topLeft() + point;
        return QTest::qWaitFor(
            [&] { return Pixel(Xvfb.Display(), at.x(), at.y(), false) == colour; }, Deadline);
    }
};
} // namespace

TEST_F(EndToEnd, APersonBrowsesChangesRestoresViewsEditsCleansAndExits) {
    ASSERT_EQ(Run(VELLORIA_BINARY_DIR "/tools/velloria-desktop",
                  {"set", Home.path() + "/start.bmp", "centered"}),
              Home.path() + "/start.bmp");
    QDir().mkpath(Cache);
    QFile::copy(Pictures + "/red.bmp", Cache + "/VL%old.bmp");
    // The first session opens the folder named on the command line.
    const QString main = Start({Pictures});
    // The thumbnails sit right of the 213-pixel panel, under the 26-pixel bar: blue.gif first,
    // red.bmp second, each cell 108 wide with 4 pixels between them.
    const QPoint first(213 + 2 + 54, 26 + 2 + 54), second = first + QPoint(112, 0),
                                                   third = second + QPoint(112, 0);
    // Input counts once the thumbnails are painted.
    ASSERT_TRUE(WaitForColour(main, first, Blue));
    ASSERT_TRUE(WaitForColour(main, second, Red));
    ASSERT_TRUE(WaitForColour(main, third, Green));

    // Keyboard: the arrow goes from the clicked first thumbnail to the second; Shift+Tab from
    // the viewer reaches the style list, whose arrows choose the style.
    ClickAt(main, first);
    Keys({"Right"});
    const struct {
        const char* Keys;
        const char* Style;
        bool CornerToo;
    } styles[] = {{"Up", "tiled", true}, {"Down", "centered", false}, {"Down", "stretched", true}};
    for (const auto& s : styles) {
        SCOPED_TRACE(s.Style);
        Keys({"shift+Tab", s.Keys, "ctrl+w"});
        EXPECT_TRUE(QTest::qWaitFor([&] { return DesktopStyle() == s.Style; }, Deadline));
        EXPECT_TRUE(QTest::qWaitFor([&] { return RootShows(Red, s.CornerToo); }, Deadline));
        Keys({"Tab"});
    }
    // The wide picture on the 4:3 screen: zoomed, its green middle covers all of it and the
    // magenta quarters are cut; scaled, it sits between black bars.
    Keys({"Right"});
    const struct {
        const char* Style;
        bool CornerToo;
    } kept[] = {{"zoomed", true}, {"scaled", false}};
    for (const auto& s : kept) {
        SCOPED_TRACE(s.Style);
        Keys({"shift+Tab", "Down", "ctrl+w"});
        EXPECT_TRUE(QTest::qWaitFor([&] { return DesktopStyle() == s.Style; }, Deadline));
        EXPECT_TRUE(QTest::qWaitFor([&] { return RootShows(Green, s.CornerToo); }, Deadline));
        Keys({"Tab"});
    }
    EXPECT_EQ(Pixel(Xvfb.Display(), 400, 2, true), qRgb(0, 0, 0)) << "the bar above";
    Keys({"Left"});

    // Restore: the start-up picture comes back centred, whatever the style list shows.
    Keys({"ctrl+r"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return DesktopStyle() == "centered"; }, Deadline));
    EXPECT_TRUE(QTest::qWaitFor([&] { return RootShows(Yellow, false); }, Deadline));

    // View opens the image viewer window titled with the file name.
    Keys({"ctrl+v"});
    EXPECT_FALSE(WaitForWindow("red.bmp").isEmpty());
    Focus(main);

    // Options: the size field has the focus; four steps of 5 make 120, three of 2 make 10.
    Keys({"alt+t", "o"});
    const QString options = WaitForWindow("Options");
    Focus(options);
    Keys({"Up", "Up", "Up", "Up", "Tab", "Up", "Up", "Up", "Return"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return Window("Options").isEmpty(); }, Deadline));

    // The GIF goes to the desktop through the cache; Cleanup, answered Yes, then removes only
    // the cache file no record names.
    // (The image viewer window now covers the first thumbnail; the arrow key reaches it.)
    Focus(main);
    Keys({"Left", "ctrl+w"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return RootShows(Blue, true); }, Deadline));
    EXPECT_TRUE(QFile::exists(Cache + "/VL%blue.bmp"));
    Keys({"alt+t", "c"});
    const QString confirm = WaitForWindow("Confirm");
    Focus(confirm);
    Keys({"alt+y"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(Cache + "/VL%old.bmp"); }, Deadline));
    EXPECT_TRUE(QFile::exists(Cache + "/VL%blue.bmp"));

    // Move the window, then File > Exit saves everything.
    XdoTool({"windowmove", "--sync", main, "30", "20"});
    Focus(main);
    ASSERT_EQ(Exit(), 0);
    const QString text = SavedSettings();
    EXPECT_TRUE(QRegularExpression("^\\[LXS:CONFIG:HEADER\\]\r\nSchemaVersion=1\r\n\r\n"
                                   "\\[Window\\]\r\nLeft=30\r\nTop=20\r\nWidth=646\r\n"
                                   "Height=524\r\nState=0\r\n\r\n\\[Velloria\\]\r\n"
                                   "SessionInfo=[0-9A-F]{56}\r\n")
                    .match(text)
                    .hasMatch())
        << text.toStdString();
    EXPECT_TRUE(text.contains("LastFolder=\"" + Pictures + "\"\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("Thumb-Size=120\r\nThumb-Padding=10\r\n")) << text.toStdString();

    // A second start opens the last folder where the first one was left, with cells of 140.
    const QString again = Start({});
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return Geometry(again).topLeft() == QPoint(30, 20); }, Deadline));
    EXPECT_TRUE(WaitForColour(again, QPoint(213 + 2 + 70, 26 + 2 + 70), Blue));
    Keys({"alt+f", "x"});
    EXPECT_TRUE(Program.waitForFinished(Deadline));
}

// Another setter (nitrogen, the real one) put its picture on the screen since Velloria last set
// one: get names nitrogen's file, and Restore brings back exactly what was shown at start-up,
// not Velloria's own earlier choice.
TEST_F(EndToEnd, RestoreBringsBackWhatAnotherSetterShowed) {
    const QString desktopTool = VELLORIA_BINARY_DIR "/tools/velloria-desktop";
    ASSERT_EQ(Run(desktopTool, {"set", Home.path() + "/start.bmp", "centered"}),
              Home.path() + "/start.bmp");
    WritePicture(Home.path() + "/nebula.png", Blue, "PNG");
    ASSERT_EQ(RunToEnd("nitrogen", {"--save", "--set-zoom-fill", Home.path() + "/nebula.png"}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return RootShows(Blue, true); }, Deadline));
    EXPECT_EQ(Run(desktopTool, {"get"}), "zoomed\t" + Home.path() + "/nebula.png");

    const QString main = Start({Pictures});
    const QPoint second(213 + 2 + 54 + 112, 26 + 2 + 54);
    ASSERT_TRUE(WaitForColour(main, second, Red));
    ClickAt(main, second);
    Keys({"ctrl+w"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return RootShows(Red, true); }, Deadline));
    Keys({"ctrl+r"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return RootShows(Blue, true); }, Deadline));
    EXPECT_EQ(Run(desktopTool, {"get"}), "zoomed\t" + Home.path() + "/nebula.png");
    EXPECT_EQ(Exit(), 0);
}

// Settings that cannot be written at exit are told in a box before the program ends, and the
// exit status says so; a termination signal (a logout) ends it without a box.
TEST_F(EndToEnd, SettingsThatCannotBeSavedAreToldBeforeTheEnd) {
    // The settings file leads into /proc, where nobody can write a file, root included.
    ASSERT_TRUE(QDir().mkpath(QFileInfo(Ini).path()));
    ASSERT_TRUE(QFile::link("/proc/version", Ini));
    const QString main = Start({Pictures});
    Keys({"alt+f", "x"});
    QString box;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            box = Window("Velloria");
            return !box.isEmpty() && box != main;
        },
        Deadline))
        << "no box after the main window closed";
    EXPECT_EQ(Program.state(), QProcess::Running) << "the box comes before the end";
    Focus(box);
    Keys({"Return"});
    ASSERT_TRUE(Program.waitForFinished(Deadline));
    EXPECT_EQ(Program.exitCode(), 1);

    Start({Pictures});
    Program.terminate();
    ASSERT_TRUE(Program.waitForFinished(Deadline)) << "a box held the program open";
    EXPECT_EQ(Program.exitCode(), 1);
}

// One program per session bus: a second start hands its folder to the first and ends at once;
// the first shows that folder (it is the one saved at its exit). Once the first has gone, a
// start is the session's program again.
TEST_F(EndToEnd, ASecondStartHandsItsFolderToTheFirst) {
    TPrivateBus bus;
    ASSERT_FALSE(bus.Address().isEmpty());
    BusAddress = bus.Address();
    const QString other = Home.path() + "/Other Pictures";
    ASSERT_TRUE(QDir().mkpath(other));
    const QString main = Start({Pictures});
    EXPECT_EQ(RunToEnd(VELLORIA_PROGRAM, {other}), 0) << "the second start ends by itself";
    Focus(main);
    ASSERT_EQ(Exit(), 0);
    const QString text = SavedSettings();
    EXPECT_TRUE(text.contains("LastFolder=\"" + other + "\"\r\n")) << text.toStdString();

    // With the first one gone, the next start is the session's program again.
    Start({Pictures});
    EXPECT_EQ(Exit(), 0);
}

// The root-window adapter on a real X server (Xvfb): what the root pixmap properties name, what
// that pixmap shows, and what becomes of the previous one.
#include "DesktopExpectations.h"
#include "RootWindowWallpaper.h"
#include "TestPeers.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTransform>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {
const QSize Screen(48, 32);

// A test's own connection to the server, to look at what the adapter left behind.
class TObserver {
public:
    explicit TObserver(const QString& display)
        : FConnection(xcb_connect(display.toLatin1().constData(), nullptr)) {}
    ~TObserver() { xcb_disconnect(FConnection); }
    bool Connected() const { return xcb_connection_has_error(FConnection) == 0; }
    xcb_connection_t* Connection() const { return FConnection; }
    xcb_window_t Root(int screen = 0) const {
        auto it = xcb_setup_roots_iterator(xcb_get_setup(FConnection));
        for (int i = 0; i < screen; ++i)
            xcb_screen_next(&it);
        return it.data->root;
    }
    xcb_atom_t Atom(const char* name) const {
        auto* reply = xcb_intern_atom_reply(
            FConnection, xcb_intern_atom(FConnection, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }
    xcb_pixmap_t PixmapProperty(const char* name, int screen = 0) const {
        auto* reply = xcb_get_property_reply(
            FConnection,
            xcb_get_property(FConnection, 0, Root(screen), Atom(name), XCB_ATOM_PIXMAP, 0, 1),
            nullptr);
        xcb_pixmap_t pixmap = XCB_NONE;
        if (reply && xcb_get_property_value_length(reply) == 4)
            std::memcpy(&pixmap, xcb_get_property_value(reply), 4);
        std::free(reply);
        return pixmap;
    }
    bool Exists(xcb_drawable_t drawable) const {
        xcb_generic_error_t* error = nullptr;
        auto* reply =
            xcb_get_geometry_reply(FConnection, xcb_get_geometry(FConnection, drawable), &error);
        const bool exists = reply != nullptr;
        std::free(error);
        std::free(reply);
        return exists;
    }
    QImage Pixels(xcb_drawable_t drawable, int width, int height) const {
        auto* reply = xcb_get_image_reply(FConnection,
                                          xcb_get_image(FConnection, XCB_IMAGE_FORMAT_Z_PIXMAP,
                                                        drawable, 0, 0, width, height, ~0u),
                                          nullptr);
        if (!reply)
            return {};
        QImage image(width, height, QImage::Format_RGB32);
        std::memcpy(image.bits(), xcb_get_image_data(reply), size_t(width) * height * 4);
        std::free(reply);
        return image;
    }

private:
    xcb_connection_t* FConnection;
};

// Makes the picture the first screen's wallpaper as another setter (nitrogen, feh) does: from
// a connection of its own that leaves its pixmap behind when it closes, named by both
// properties; nothing else.
void SetForeignWallpaper(const QString& display, const QImage& picture) {
    TObserver setter(display);
    xcb_connection_t* connection = setter.Connection();
    const xcb_pixmap_t pixmap = xcb_generate_id(connection);
    xcb_create_pixmap(connection, 24, pixmap, setter.Root(), picture.width(), picture.height());
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    xcb_create_gc(connection, gc, pixmap, 0, nullptr);
    xcb_put_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, picture.width(),
                  picture.height(), 0, 0, 0, 24, picture.sizeInBytes(), picture.constBits());
    for (const char* name : {"_XROOTPMAP_ID", "ESETROOT_PMAP_ID"})
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, setter.Root(), setter.Atom(name),
                            XCB_ATOM_PIXMAP, 32, 1, &pixmap);
    xcb_free_gc(connection, gc);
    xcb_set_close_down_mode(connection, XCB_CLOSE_DOWN_RETAIN_PERMANENT);
    EXPECT_TRUE(setter.Exists(pixmap)) << "the requests above have reached the server";
}

// A screen-sized picture unlike anything the tests write as files.
QImage ForeignPicture() {
    QImage picture(Screen, QImage::Format_RGB32);
    for (int y = 0; y < Screen.height(); ++y)
        for (int x = 0; x < Screen.width(); ++x)
            picture.setPixel(x, y, qRgb(255 - x * 5, (x * y) % 256, y * 7));
    return picture;
}

class RootWindowWallpaperTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(FDisplay.Name().isEmpty()) << "Xvfb did not start"; }
    QImage Shown(const TObserver& observer, int screen = 0) {
        const xcb_pixmap_t pixmap = observer.PixmapProperty("_XROOTPMAP_ID", screen);
        EXPECT_NE(pixmap, XCB_NONE);
        EXPECT_EQ(pixmap, observer.PixmapProperty("ESETROOT_PMAP_ID", screen));
        return observer.Pixels(pixmap, Screen.width(), Screen.height());
    }

    TVirtualDisplay FDisplay{{QStringLiteral("48x32x24"), QStringLiteral("48x32x24")}};
    QTemporaryDir FFolder;
};
} // namespace

TEST_F(RootWindowWallpaperTest, PixmapShowsThePictureTiledCentredOrStretchedOnEveryScreen) {
    TRootWindowWallpaper desktop(FDisplay.Name(), FFolder.path());
    EXPECT_EQ(desktop.Name(), QStringLiteral("x11-root"));
    const QString small = WritePicture(FFolder, QStringLiteral("small.bmp"), 10, 6);
    const QString large = WritePicture(FFolder, QStringLiteral("large.bmp"), 61, 41);
    TObserver observer(FDisplay.Name());
    ASSERT_TRUE(observer.Connected());
    const QList<QPair<QString, TLxWallpaperStyle>> cases = {
        {small, wsTiled}, {small, wsCentered}, {large, wsCentered}, {small, OutOfRangeStyle}};
    for (const auto& [file, style] : cases) {
        ASSERT_TRUE(desktop.SetWallpaper(file, style));
        for (int screen = 0; screen < 2; ++screen)
            EXPECT_EQ(Shown(observer, screen), ExpectedScreen(file, Screen, style))
                << file.toStdString() << " " << style;
        EXPECT_EQ(observer.Pixels(observer.Root(), Screen.width(), Screen.height()),
                  ExpectedScreen(file, Screen, style))
            << "the root window shows its new background";
    }

    ASSERT_TRUE(desktop.SetWallpaper(WriteQuarters(FFolder), wsStretched));
    ExpectStretchedQuarters(Shown(observer));
}

// A wide photo on a 4:3 screen: zoomed fills the screen with the picture's middle, scaled shows
// all of it between black bars.
TEST(RootWindowWallpaper, ZoomedCoversTheScreenAndScaledFitsItKeepingTheShape) {
    const QSize screen(1024, 768);
    TVirtualDisplay display({QStringLiteral("1024x768x24")});
    ASSERT_FALSE(display.Name().isEmpty()) << "Xvfb did not start";
    QTemporaryDir folder;
    const QString bands = WriteBands(folder, 400, 100);
    TRootWindowWallpaper desktop(display.Name(), folder.path());
    TObserver observer(display.Name());
    for (TLxWallpaperStyle style : {wsZoomed, wsScaled}) {
        SCOPED_TRACE(StyleWord(style).toStdString());
        ASSERT_TRUE(desktop.SetWallpaper(bands, style)) << desktop.LastError().toStdString();
        ExpectBands(observer.Pixels(observer.Root(), screen.width(), screen.height()), style);
        QString fileName;
        TLxWallpaperStyle read = OutOfRangeStyle;
        ASSERT_TRUE(desktop.GetWallpaper(fileName, read));
        EXPECT_EQ(read, style);
    }
}

// Qt's readers refuse by default to allocate more than 128 MB, some 33 megapixels: a
// 6000 x 6000 photo (144 MB decoded) is well within the program's own limit.
TEST_F(RootWindowWallpaperTest, PhotoPastQtsDefaultAllocationLimitIsShown) {
    QImage photo(6000, 6000, QImage::Format_RGB32);
    photo.fill(qRgb(40, 160, 90));
    const QString file = FFolder.filePath(QStringLiteral("large photo.jpg"));
    ASSERT_TRUE(photo.save(file, "JPEG", 50));
    photo = QImage();
    TRootWindowWallpaper desktop(FDisplay.Name(), FFolder.path());
    ASSERT_TRUE(desktop.SetWallpaper(file, wsStretched)) << desktop.LastError().toStdString();
    TObserver observer(FDisplay.Name());
    EXPECT_TRUE(NearColour(Shown(observer).pixel(Screen.width() / 2, Screen.height() / 2),
                           qRgb(40, 160, 90)));
}

// A camera photo held sideways carries its turn in its EXIF orientation: the desktop shows it
// upright, as its thumbnail is. Red left, blue right, stored turned a quarter the other way and
// tagged 6 (turn a quarter clockwise to show).
TEST_F(RootWindowWallpaperTest, PhotoWithAnOrientationIsShownUpright) {
    QImage upright(48, 32, QImage::Format_RGB32);
    upright.fill(Qt::red);
    for (int y = 0; y < 32; ++y)
        for (int x = 24; x < 48; ++x)
            upright.setPixel(x, y, qRgb(0, 0, 255));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(upright.transformed(QTransform().rotate(-90)).save(&buffer, "JPEG", 95));
    // APP1 "Exif": a big-endian TIFF header and one IFD entry, Orientation (0x112) = 6.
    const QByteArray exif("\xFF\xE1\x00\x22"
                          "Exif\0\0MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0"
                          "\0\0\0\0",
                          36);
    jpeg.insert(2, exif);
    const QString file = FFolder.filePath(QStringLiteral("turned.jpg"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(jpeg) == jpeg.size());
    out.close();
    TRootWindowWallpaper desktop(FDisplay.Name(), FFolder.path());
    ASSERT_TRUE(desktop.SetWallpaper(file, wsStretched)) << desktop.LastError().toStdString();
    const QImage shown = Shown(TObserver(FDisplay.Name()));
    EXPECT_TRUE(NearColour(shown.pixel(4, 16), qRgb(255, 0, 0)));
    EXPECT_TRUE(NearColour(shown.pixel(44, 16), qRgb(0, 0, 255)));
}

TEST_F(RootWindowWallpaperTest, NextSetFreesOurPreviousPixmapButNotAnotherProgramsOne) {
    const QString file = WritePicture(FFolder, QStringLiteral("p.bmp"), 5, 5);
    TObserver observer(FDisplay.Name());
    ASSERT_TRUE(TRootWindowWallpaper(FDisplay.Name(), FFolder.path()).SetWallpaper(file, wsTiled));
    const xcb_pixmap_t first = observer.PixmapProperty("_XROOTPMAP_ID");
    EXPECT_TRUE(observer.Exists(first)) << "kept after the setter's connection closed";
    ASSERT_TRUE(
        TRootWindowWallpaper(FDisplay.Name(), FFolder.path()).SetWallpaper(file, wsCentered));
    const xcb_pixmap_t second = observer.PixmapProperty("_XROOTPMAP_ID");
    EXPECT_NE(second, first);
    EXPECT_FALSE(observer.Exists(first));
    EXPECT_TRUE(observer.Exists(second));

    // A live program that set only _XROOTPMAP_ID (on both screens) owns its pixmap: it must stay,
    // and our old one, no longer named by both properties anywhere, is left alone too.
    const xcb_pixmap_t foreign = xcb_generate_id(observer.Connection());
    xcb_create_pixmap(observer.Connection(), 24, foreign, observer.Root(), 4, 4);
    for (int screen = 0; screen < 2; ++screen)
        xcb_change_property(observer.Connection(), XCB_PROP_MODE_REPLACE, observer.Root(screen),
                            observer.Atom("_XROOTPMAP_ID"), XCB_ATOM_PIXMAP, 32, 1, &foreign);
    ASSERT_TRUE(observer.Exists(foreign)) << "the requests above have reached the server";
    ASSERT_TRUE(
        TRootWindowWallpaper(FDisplay.Name(), FFolder.path()).SetWallpaper(file, wsStretched));
    EXPECT_TRUE(observer.Exists(foreign));
    EXPECT_TRUE(observer.Exists(second)) << "the properties disagreed, so nothing was freed";
}

TEST_F(RootWindowWallpaperTest, KeepsTheChoiceForGetAndRestore) {
    const QString file = WritePicture(FFolder, QStringLiteral("ünï code.bmp"), 7, 3);
    const QString state = FFolder.filePath(QStringLiteral("state"));
    TRootWindowWallpaper desktop(FDisplay.Name(), state);
    QString none = QStringLiteral("stale");
    TLxWallpaperStyle noStyle = OutOfRangeStyle;
    ASSERT_TRUE(desktop.GetWallpaper(none, noStyle)) << "a plain background: no picture";
    EXPECT_EQ(none, QString());
    EXPECT_EQ(noStyle, wsCentered);
    EXPECT_FALSE(desktop.Restore());

    ASSERT_TRUE(desktop.SetWallpaper(file, OutOfRangeStyle));
    QString fileName;
    TLxWallpaperStyle style = OutOfRangeStyle;
    ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
    EXPECT_EQ(fileName, file);
    EXPECT_EQ(style, wsCentered);

    ASSERT_TRUE(desktop.SetWallpaper(file, wsTiled));
    TVirtualDisplay nextSession({QStringLiteral("48x32x24")});
    TRootWindowWallpaper later(nextSession.Name(), state);
    ASSERT_TRUE(later.Restore());
    TObserver observer(nextSession.Name());
    EXPECT_EQ(Shown(observer), ExpectedScreen(file, Screen, wsTiled));
}

TEST_F(RootWindowWallpaperTest, UnreadablePictureOrDisplayChangesNothingAndSaysWhy) {
    TObserver observer(FDisplay.Name());
    const QString good = WritePicture(FFolder, QStringLiteral("good.bmp"), 4, 4);
    TRootWindowWallpaper desktop(FDisplay.Name(), FFolder.path());
    ASSERT_TRUE(desktop.SetWallpaper(good, wsTiled));
    const xcb_pixmap_t before = observer.PixmapProperty("_XROOTPMAP_ID");
    QFile damaged(FFolder.filePath(QStringLiteral("damaged.bmp")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("BM not really");
    damaged.close();
    for (const QString& bad :
         {damaged.fileName(), FFolder.filePath(QStringLiteral("missing.jpg"))}) {
        EXPECT_FALSE(desktop.SetWallpaper(bad, wsTiled));
        EXPECT_TRUE(
            desktop.LastError().startsWith(QStringLiteral("cannot read the picture %1: ").arg(bad)))
            << desktop.LastError().toStdString();
    }
    EXPECT_EQ(observer.PixmapProperty("_XROOTPMAP_ID"), before);
    TRootWindowWallpaper unreachable(QStringLiteral(":9999"), FFolder.path());
    EXPECT_FALSE(unreachable.SetWallpaper(good, wsTiled));
    EXPECT_EQ(unreachable.LastError(), QStringLiteral("cannot open the X display :9999"));
    QString fileName;
    TLxWallpaperStyle style = OutOfRangeStyle;
    ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
    EXPECT_EQ(fileName, good);
    EXPECT_EQ(style, wsTiled);
    EXPECT_TRUE(desktop.LastError().isEmpty()) << "a success clears the reason";
}

// A picture another program set since is never taken for ours: it is reported by the name its
// setter wrote down, or else as a copy of its pixels, and setting what was reported brings back
// exactly those pixels, for this session and, through the state file, the next.
TEST_F(RootWindowWallpaperTest, AnotherProgramsPictureIsCopiedAndComesBackExactly) {
    TObserver observer(FDisplay.Name());
    ASSERT_TRUE(observer.Connected());
    const QString ours = WritePicture(FFolder, QStringLiteral("ours.bmp"), 5, 5);
    const QString state = FFolder.filePath(QStringLiteral("state"));
    const QString nitrogenRecord =
        qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/nitrogen/bg-saved.cfg");
    struct TCase {
        QByteArray Record; // nitrogen's bg-saved.cfg, or nothing
        QString FileName;  // reported
        int Style;
    };
    const QList<TCase> cases = {
        {{}, state + QStringLiteral("/desktop-startup.png"), wsCentered},
        {"[xin_-1]\nfile=/srv/nebula.png\nmode=0\nbgcolor=#000000\n",
         QStringLiteral("/srv/nebula.png"), wsStretched},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.FileName.toStdString());
        QFile::remove(nitrogenRecord);
        if (!test.Record.isEmpty()) {
            ASSERT_TRUE(QDir().mkpath(QFileInfo(nitrogenRecord).path()));
            QFile record(nitrogenRecord);
            ASSERT_TRUE(record.open(QIODevice::WriteOnly));
            record.write(test.Record);
        }
        TRootWindowWallpaper desktop(FDisplay.Name(), state);
        ASSERT_TRUE(desktop.SetWallpaper(ours, wsTiled));
        SetForeignWallpaper(FDisplay.Name(), ForeignPicture());
        QString fileName;
        TLxWallpaperStyle style = OutOfRangeStyle;
        ASSERT_TRUE(desktop.GetWallpaper(fileName, style)) << desktop.LastError().toStdString();
        EXPECT_EQ(fileName, test.FileName);
        EXPECT_EQ(style, test.Style);

        ASSERT_TRUE(desktop.SetWallpaper(ours, wsTiled));
        ASSERT_TRUE(desktop.SetWallpaper(fileName, style));
        EXPECT_EQ(Shown(observer), ForeignPicture());
        QString again;
        ASSERT_TRUE(desktop.GetWallpaper(again, style));
        EXPECT_EQ(again, test.FileName) << "reported as before, now that we set it";

        TVirtualDisplay nextSession({QStringLiteral("48x32x24")});
        ASSERT_TRUE(TRootWindowWallpaper(nextSession.Name(), state).Restore());
        EXPECT_EQ(Shown(TObserver(nextSession.Name())), ForeignPicture());
    }
    QFile::remove(nitrogenRecord);
}

// No picture is the plain black background, with nothing left that names a pixmap (ours is
// freed), read back as an empty name and kept for the next login.
TEST_F(RootWindowWallpaperTest, NoPictureLeavesAPlainBackground) {
    TObserver observer(FDisplay.Name());
    TRootWindowWallpaper desktop(FDisplay.Name(), FFolder.path());
    ASSERT_TRUE(
        desktop.SetWallpaper(WritePicture(FFolder, QStringLiteral("p.bmp"), 5, 5), wsTiled));
    const xcb_pixmap_t ours = observer.PixmapProperty("_XROOTPMAP_ID");
    ASSERT_TRUE(desktop.SetWallpaper(QString(), wsTiled));
    for (int screen = 0; screen < 2; ++screen) {
        EXPECT_EQ(observer.PixmapProperty("_XROOTPMAP_ID", screen), xcb_pixmap_t(XCB_NONE));
        EXPECT_EQ(observer.PixmapProperty("ESETROOT_PMAP_ID", screen), xcb_pixmap_t(XCB_NONE));
    }
    EXPECT_FALSE(observer.Exists(ours));
    QImage black(Screen, QImage::Format_RGB32);
    black.fill(Qt::black);
    EXPECT_EQ(observer.Pixels(observer.Root(), Screen.width(), Screen.height()), black);
    QString fileName = QStringLiteral("stale");
    TLxWallpaperStyle style = OutOfRangeStyle;
    ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
    EXPECT_EQ(fileName, QString());
    TWallpaperState kept;
    ASSERT_TRUE(LoadWallpaperState(FFolder.path(), kept));
    EXPECT_EQ(kept.FileName, QString());
}

// A state file that cannot be written does not undo what the screen shows: the set succeeds, the
// reason is its notice, and the wallpaper reads back as what is shown.
TEST_F(RootWindowWallpaperTest, UnwritableStateFileIsANoticeNotAFailure) {
    TObserver observer(FDisplay.Name());
    // The state folder's parent is a file: no write can succeed there, not even root's.
    QFile blocker(FFolder.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TRootWindowWallpaper desktop(FDisplay.Name(), blocker.fileName() + QStringLiteral("/state"));
    const QString file = WritePicture(FFolder, QStringLiteral("p.bmp"), 5, 5);
    for (const TLxWallpaperStyle style : {wsCentered, wsTiled}) {
        ASSERT_TRUE(desktop.SetWallpaper(file, style)) << desktop.LastError().toStdString();
        EXPECT_TRUE(desktop.LastError().isEmpty());
        EXPECT_TRUE(desktop.LastNotice().startsWith(QStringLiteral("cannot ")))
            << desktop.LastNotice().toStdString();
        EXPECT_TRUE(desktop.LastNotice().endsWith(
            QStringLiteral(", so it will not come back at the next login")))
            << desktop.LastNotice().toStdString();
        EXPECT_EQ(Shown(observer), ExpectedScreen(file, Screen, style));
        // Another process (velloria-desktop get) reads it from the screen.
        QString fileName;
        TLxWallpaperStyle shownStyle = OutOfRangeStyle;
        ASSERT_TRUE(TRootWindowWallpaper(FDisplay.Name(), FFolder.path())
                        .GetWallpaper(fileName, shownStyle));
        EXPECT_EQ(fileName, file);
        EXPECT_EQ(shownStyle, style);
    }
    TRootWindowWallpaper writable(FDisplay.Name(), FFolder.path());
    ASSERT_TRUE(writable.SetWallpaper(file, wsTiled));
    EXPECT_TRUE(writable.LastNotice().isEmpty()) << "a kept choice has nothing to tell";
}

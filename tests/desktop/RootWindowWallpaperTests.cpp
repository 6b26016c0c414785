// The root-window adapter on a real X server (Xvfb): what the root pixmap properties name, what
// that pixmap shows, and what becomes of the previous one.
#include "ExpectGetFails.h"
#include "RootWindowWallpaper.h"
#include "TestPeers.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {
const int ScreenWidth = 48;
const int ScreenHeight = 32;

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
    xcb_pixmap_t PixmapProperty(const char* name, int screen = 0) const {
        const auto atom = xcb_intern_atom_reply(
            FConnection, xcb_intern_atom(FConnection, 0, std::strlen(name), name), nullptr);
        const auto reply = xcb_get_property_reply(
            FConnection,
            xcb_get_property(FConnection, 0, Root(screen), atom->atom, XCB_ATOM_PIXMAP, 0, 1),
            nullptr);
        xcb_pixmap_t pixmap = XCB_NONE;
        if (reply && xcb_get_property_value_length(reply) == 4)
            std::memcpy(&pixmap, xcb_get_property_value(reply), 4);
        std::free(atom);
        std::free(reply);
        return pixmap;
    }
    bool Exists(xcb_drawable_t drawable) const {
        xcb_generic_error_t* error = nullptr;
        auto* reply =
            xcb_get_geometry_reply(FConnection, xcb_get_geometry(FConnection, drawable), &error);
        std::free(error);
        std::free(reply);
        return reply != nullptr;
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

// A picture whose every pixel differs from its neighbours, saved as a BMP.
QString WritePicture(const QTemporaryDir& folder, const char* name, int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, qRgb(x * 4, y * 6, 255 - x - y));
    const QString file = folder.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(picture.save(file, "BMP"));
    return file;
}

QImage Expected(const QString& file, int style) {
    const QImage picture(file);
    QImage frame(ScreenWidth, ScreenHeight, QImage::Format_RGB32);
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x) {
            const int dx = (ScreenWidth - picture.width()) / 2,
                      dy = (ScreenHeight - picture.height()) / 2;
            const QPoint source = style == wsTiled
                                      ? QPoint(x % picture.width(), y % picture.height())
                                      : QPoint(x - dx, y - dy);
            frame.setPixel(x, y,
                           picture.rect().contains(source) ? picture.pixel(source) : qRgb(0, 0, 0));
        }
    return frame;
}

class RootWindowWallpaperTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(FDisplay.Name().isEmpty()) << "Xvfb did not start"; }
    QImage Shown(const TObserver& observer, int screen = 0) {
        const xcb_pixmap_t pixmap = observer.PixmapProperty("_XROOTPMAP_ID", screen);
        EXPECT_NE(pixmap, XCB_NONE);
        EXPECT_EQ(pixmap, observer.PixmapProperty("ESETROOT_PMAP_ID", screen));
        return observer.Pixels(pixmap, ScreenWidth, ScreenHeight);
    }

    TVirtualDisplay FDisplay{{QStringLiteral("48x32x24"), QStringLiteral("48x32x24")}};
    QTemporaryDir FFolder;
};
} // namespace

TEST_F(RootWindowWallpaperTest, PixmapShowsThePictureTiledCentredOrStretchedOnEveryScreen) {
    TRootWindowWallpaper desktop(FDisplay.Name(), FFolder.path());
    EXPECT_EQ(desktop.Name(), QStringLiteral("x11-root"));
    const QString small = WritePicture(FFolder, "small.bmp", 10, 6);
    const QString large = WritePicture(FFolder, "large.bmp", 61, 41);
    TObserver observer(FDisplay.Name());
    ASSERT_TRUE(observer.Connected());
    const QList<QPair<QString, int>> cases = {
        {small, wsTiled}, {small, wsCentered}, {large, wsCentered}, {small, 255}};
    for (const auto& [file, style] : cases) {
        ASSERT_TRUE(desktop.SetWallpaper(file, style));
        for (int screen = 0; screen < 2; ++screen)
            EXPECT_EQ(Shown(observer, screen), Expected(file, style))
                << file.toStdString() << " " << style;
        EXPECT_EQ(observer.Pixels(observer.Root(), ScreenWidth, ScreenHeight),
                  Expected(file, style))
            << "the root window shows its new background";
    }

    QImage quarters(2, 2, QImage::Format_RGB32);
    quarters.setPixel(0, 0, qRgb(255, 0, 0));
    quarters.setPixel(1, 0, qRgb(0, 255, 0));
    quarters.setPixel(0, 1, qRgb(0, 0, 255));
    quarters.setPixel(1, 1, qRgb(255, 255, 255));
    const QString quartersFile = FFolder.filePath(QStringLiteral("quarters.bmp"));
    ASSERT_TRUE(quarters.save(quartersFile, "BMP"));
    ASSERT_TRUE(desktop.SetWallpaper(quartersFile, wsStretched));
    const QImage shown = Shown(observer);
    EXPECT_EQ(shown.pixel(4, 4), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(ScreenWidth - 5, 4), qRgb(0, 255, 0));
    EXPECT_EQ(shown.pixel(4, ScreenHeight - 5), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(ScreenWidth - 5, ScreenHeight - 5), qRgb(255, 255, 255));
}

TEST_F(RootWindowWallpaperTest, NextSetFreesOurPreviousPixmapButNotAnotherProgramsOne) {
    const QString file = WritePicture(FFolder, "p.bmp", 5, 5);
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
    const char* name = "_XROOTPMAP_ID";
    const auto atom = xcb_intern_atom_reply(
        observer.Connection(), xcb_intern_atom(observer.Connection(), 0, std::strlen(name), name),
        nullptr);
    for (int screen = 0; screen < 2; ++screen)
        xcb_change_property(observer.Connection(), XCB_PROP_MODE_REPLACE, observer.Root(screen),
                            atom->atom, XCB_ATOM_PIXMAP, 32, 1, &foreign);
    std::free(atom);
    ASSERT_TRUE(observer.Exists(foreign)) << "the requests above have reached the server";
    ASSERT_TRUE(
        TRootWindowWallpaper(FDisplay.Name(), FFolder.path()).SetWallpaper(file, wsStretched));
    EXPECT_TRUE(observer.Exists(foreign));
    EXPECT_TRUE(observer.Exists(second)) << "the properties disagreed, so nothing was freed";
}

TEST_F(RootWindowWallpaperTest, KeepsTheChoiceForGetAndRestore) {
    const QString file = WritePicture(FFolder, "ünï code.bmp", 7, 3);
    const QString state = FFolder.filePath(QStringLiteral("state"));
    TRootWindowWallpaper desktop(FDisplay.Name(), state);
    ExpectGetFails(desktop);
    EXPECT_FALSE(desktop.Restore());

    ASSERT_TRUE(desktop.SetWallpaper(file, 255));
    QString fileName;
    int style = -1;
    ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
    EXPECT_EQ(fileName, file);
    EXPECT_EQ(style, wsCentered);

    ASSERT_TRUE(desktop.SetWallpaper(file, wsTiled));
    TVirtualDisplay nextSession({QStringLiteral("48x32x24")});
    TRootWindowWallpaper later(nextSession.Name(), state);
    ASSERT_TRUE(later.Restore());
    TObserver observer(nextSession.Name());
    EXPECT_EQ(Shown(observer), Expected(file, wsTiled));
}

TEST_F(RootWindowWallpaperTest, UnreadablePictureOrDisplayChangesNothing) {
    TObserver observer(FDisplay.Name());
    const QString good = WritePicture(FFolder, "good.bmp", 4, 4);
    TRootWindowWallpaper desktop(FDisplay.Name(), FFolder.path());
    ASSERT_TRUE(desktop.SetWallpaper(good, wsTiled));
    const xcb_pixmap_t before = observer.PixmapProperty("_XROOTPMAP_ID");
    QFile damaged(FFolder.filePath(QStringLiteral("damaged.bmp")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("BM not really");
    damaged.close();
    EXPECT_FALSE(desktop.SetWallpaper(damaged.fileName(), wsTiled));
    EXPECT_FALSE(desktop.SetWallpaper(FFolder.filePath(QStringLiteral("missing.jpg")), wsTiled));
    EXPECT_FALSE(desktop.SetWallpaper(QString(), wsTiled));
    EXPECT_EQ(observer.PixmapProperty("_XROOTPMAP_ID"), before);
    EXPECT_FALSE(
        TRootWindowWallpaper(QStringLiteral(":9999"), FFolder.path()).SetWallpaper(good, wsTiled));
    QString fileName;
    int style = -1;
    ASSERT_TRUE(desktop.GetWallpaper(fileName, style));
    EXPECT_EQ(fileName, good);
    EXPECT_EQ(style, wsTiled);
}

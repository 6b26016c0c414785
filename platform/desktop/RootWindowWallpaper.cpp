#include "RootWindowWallpaper.h"

#include "RootPicture.h"
#include "WallpaperPicture.h"

#include <QFile>
#include <QImage>
#include <QList>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace {
struct TReplyDeleter {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using TReply = std::unique_ptr<T, TReplyDeleter>;

struct TConnectionDeleter {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using TConnection = std::unique_ptr<xcb_connection_t, TConnectionDeleter>;

// The two properties through which programs find the root background pixmap.
struct TRootAtoms {
    xcb_atom_t RootPixmap = XCB_ATOM_NONE;   // _XROOTPMAP_ID
    xcb_atom_t SetterPixmap = XCB_ATOM_NONE; // ESETROOT_PMAP_ID
};

// The size of a PutImage request without its pixel data.
const uint32_t PutImageHeaderBytes = 24;

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    const TReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

xcb_pixmap_t ReadPixmapProperty(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t atom) {
    const auto cookie = xcb_get_property(connection, 0, root, atom, XCB_ATOM_PIXMAP, 0, 1);
    const TReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, cookie, nullptr));
    if (!reply || reply->type != XCB_ATOM_PIXMAP || reply->format != 32 ||
        xcb_get_property_value_length(reply.get()) != sizeof(xcb_pixmap_t))
        return XCB_NONE;
    xcb_pixmap_t pixmap = XCB_NONE;
    std::memcpy(&pixmap, xcb_get_property_value(reply.get()), sizeof pixmap);
    return pixmap;
}

// True when the root's pixels are 32-bit 0x00RRGGBB words in little-endian order, which is
// QImage::Format_RGB32's memory layout.
bool RootTakesRgb32(const xcb_setup_t* setup, const xcb_screen_t* screen) {
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    bool format32 = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it))
        if (it.data->depth == screen->root_depth)
            format32 = it.data->bits_per_pixel == 32;
    for (auto depth = xcb_screen_allowed_depths_iterator(screen); depth.rem; xcb_depth_next(&depth))
        for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem;
             xcb_visualtype_next(&visual))
            if (visual.data->visual_id == screen->root_visual)
                return format32 && visual.data->red_mask == 0xff0000 &&
                       visual.data->green_mask == 0xff00 && visual.data->blue_mask == 0xff;
    return false;
}

// Sends the image in bands that each fit into one request; the cookies are checked later.
void PutImage(xcb_connection_t* connection, xcb_pixmap_t pixmap, uint8_t depth, const QImage& frame,
              QList<xcb_void_cookie_t>& cookies) {
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    xcb_create_gc(connection, gc, pixmap, 0, nullptr);
    const uint32_t maxBytes = xcb_get_maximum_request_length(connection) * 4 - PutImageHeaderBytes;
    const int stride = static_cast<int>(frame.bytesPerLine());
    const int bandRows = std::max(1, static_cast<int>(maxBytes / static_cast<uint32_t>(stride)));
    for (int y = 0; y < frame.height(); y += bandRows) {
        const int rows = std::min(bandRows, frame.height() - y);
        cookies << xcb_put_image_checked(
            connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, static_cast<uint16_t>(frame.width()),
            static_cast<uint16_t>(rows), 0, static_cast<int16_t>(y), 0, depth,
            static_cast<uint32_t>(rows * stride), frame.constScanLine(y));
    }
    xcb_free_gc(connection, gc);
}

// The previous setter left its pixmap behind by keeping its connection's resources after exit;
// when both properties still name it, nobody else took over, and it is freed with its client.
void FreePreviousPixmap(xcb_connection_t* connection, xcb_window_t root, const TRootAtoms& atoms) {
    const xcb_pixmap_t setter = ReadPixmapProperty(connection, root, atoms.SetterPixmap);
    if (setter != XCB_NONE && setter == ReadPixmapProperty(connection, root, atoms.RootPixmap))
        xcb_kill_client(connection, setter);
}

bool SetScreenBackground(xcb_connection_t* connection, const xcb_screen_t* screen,
                         const QImage& picture, TLxWallpaperStyle style, const TRootAtoms& atoms) {
    if (!RootTakesRgb32(xcb_get_setup(connection), screen))
        return false;
    const QImage frame =
        RenderRootPicture(picture, QSize(screen->width_in_pixels, screen->height_in_pixels), style);
    const xcb_pixmap_t pixmap = xcb_generate_id(connection);
    QList<xcb_void_cookie_t> cookies;
    cookies << xcb_create_pixmap_checked(connection, screen->root_depth, pixmap, screen->root,
                                         screen->width_in_pixels, screen->height_in_pixels);
    PutImage(connection, pixmap, screen->root_depth, frame, cookies);
    bool drawn = true;
    for (const xcb_void_cookie_t& cookie : cookies) {
        const TReply<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
        drawn = drawn && !error;
    }
    if (!drawn) {
        xcb_free_pixmap(connection, pixmap);
        return false;
    }
    FreePreviousPixmap(connection, screen->root, atoms);
    for (xcb_atom_t atom : {atoms.RootPixmap, atoms.SetterPixmap})
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, screen->root, atom, XCB_ATOM_PIXMAP,
                            32, 1, &pixmap);
    xcb_change_window_attributes(connection, screen->root, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_clear_area(connection, 0, screen->root, 0, 0, 0, 0);
    return true;
}
} // namespace

TRootWindowWallpaper::TRootWindowWallpaper(const QString& displayName, const QString& stateFolder)
    : TStateFileWallpaper(stateFolder), FDisplayName(displayName) {}

QString TRootWindowWallpaper::Name() const {
    return QStringLiteral("x11-root");
}

QStringList TRootWindowWallpaper::AsIsExtensions() const {
    return CommonAsIsExtensions() << QStringLiteral(".png");
}

bool TRootWindowWallpaper::SetWallpaper(const QString& fileName, TLxWallpaperStyle style) {
    QImage picture;
    QString error;
    if (!ReadWallpaperPicture(fileName, picture, error))
        return Failed(error);
    const QByteArray display = QFile::encodeName(FDisplayName);
    const TConnection connection(
        xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr));
    if (xcb_connection_has_error(connection.get()))
        return Failed(QStringLiteral("cannot open the X display %1")
                          .arg(display.isEmpty() ? qEnvironmentVariable("DISPLAY") : FDisplayName));
    const TRootAtoms atoms = {InternAtom(connection.get(), "_XROOTPMAP_ID"),
                              InternAtom(connection.get(), "ESETROOT_PMAP_ID")};
    bool set = true;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection.get())); it.rem;
         xcb_screen_next(&it))
        set = SetScreenBackground(connection.get(), it.data, picture, style, atoms) && set;
    // The pixmaps must outlive this connection: they are the desktop's background from now on.
    xcb_set_close_down_mode(connection.get(), XCB_CLOSE_DOWN_RETAIN_PERMANENT);
    const TReply<xcb_get_input_focus_reply_t> sync(xcb_get_input_focus_reply(
        connection.get(), xcb_get_input_focus(connection.get()), nullptr));
    if (!sync)
        return Failed(QStringLiteral("the connection to the X display broke"));
    if (!set)
        return Failed(QStringLiteral("the X server refused the background: a screen is not "
                                     "32-bit true colour or lacks memory for the picture"));
    return Remember(fileName, style);
}

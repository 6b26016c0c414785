#include "RootWindowWallpaper.h"

#include "AtomicFile.h"
#include "OtherSetters.h"
#include "RootPicture.h"
#include "UserFolders.h"
#include "WallpaperPicture.h"

#include <QBuffer>
#include <QCryptographicHash>
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
// And our own note beside them: the colours of the pixmap we set and for which file and style,
// so that a picture another program set since then is never taken for ours. (Its pixmap id is
// no proof: the next setter frees our pixmap with our client, and may get the same id.)
struct TRootAtoms {
    xcb_atom_t RootPixmap = XCB_ATOM_NONE;   // _XROOTPMAP_ID
    xcb_atom_t SetterPixmap = XCB_ATOM_NONE; // ESETROOT_PMAP_ID
    xcb_atom_t Record = XCB_ATOM_NONE;       // _VELLORIA_WALLPAPER: "digest style file"
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

TRootAtoms InternRootAtoms(xcb_connection_t* connection) {
    return {InternAtom(connection, "_XROOTPMAP_ID"), InternAtom(connection, "ESETROOT_PMAP_ID"),
            InternAtom(connection, "_VELLORIA_WALLPAPER")};
}

// A digest of the picture's colours, the unused top byte of each pixel left out: the server
// gives it back as 0, Qt writes 0xff.
QByteArray ColourDigest(const QImage& image) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QList<quint32> row(image.width());
    for (int y = 0; y < image.height(); ++y) {
        const auto* pixels = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = pixels[x] & 0xFFFFFFu;
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(row.constData()),
                                    row.size() * qsizetype(sizeof(quint32))));
    }
    return hash.result().toHex();
}

void WriteRecord(xcb_connection_t* connection, xcb_window_t root, const TRootAtoms& atoms,
                 const QImage& frame, const QString& fileName, TLxWallpaperStyle style) {
    const QByteArray record =
        ColourDigest(frame) + ' ' + QByteArray::number(style) + ' ' + fileName.toUtf8();
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, root, atoms.Record, XCB_ATOM_STRING, 8,
                        static_cast<uint32_t>(record.size()), record.constData());
}

// The file and style of our note when it names the colours shown; false when they are others.
bool ReadRecord(xcb_connection_t* connection, xcb_window_t root, const TRootAtoms& atoms,
                const QImage& shown, QString& fileName, TLxWallpaperStyle& style) {
    if (shown.isNull())
        return false;
    const auto cookie =
        xcb_get_property(connection, 0, root, atoms.Record, XCB_ATOM_STRING, 0, 1 << 20);
    const TReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, cookie, nullptr));
    if (!reply || reply->format != 8)
        return false;
    const QByteArray record(static_cast<const char*>(xcb_get_property_value(reply.get())),
                            xcb_get_property_value_length(reply.get()));
    const QList<QByteArray> fields = record.split(' ');
    if (fields.size() < 3 || fields[0] != ColourDigest(shown))
        return false;
    style = ValidStyle(fields[1].toInt());
    fileName = QString::fromUtf8(record.mid(fields[0].size() + fields[1].size() + 2));
    return true;
}

// The pixels of a pixmap of the screen's depth; null when it is gone or of another kind.
QImage PixmapImage(xcb_connection_t* connection, const xcb_screen_t* screen, xcb_pixmap_t pixmap) {
    const TReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, pixmap), nullptr));
    if (!geometry || geometry->depth != screen->root_depth ||
        !RootTakesRgb32(xcb_get_setup(connection), screen))
        return {};
    const TReply<xcb_get_image_reply_t> reply(
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, 0, 0,
                                          geometry->width, geometry->height, ~0u),
                            nullptr));
    const qsizetype bytes = qsizetype(geometry->width) * geometry->height * 4;
    if (!reply || xcb_get_image_data_length(reply.get()) < bytes)
        return {};
    return QImage(xcb_get_image_data(reply.get()), geometry->width, geometry->height,
                  geometry->width * 4, QImage::Format_RGB32)
        .copy();
}

// Makes the screen-sized frame the root background; the new pixmap, or XCB_NONE when the screen
// takes no RGB32 pixels or refused them.
xcb_pixmap_t SetScreenBackground(xcb_connection_t* connection, const xcb_screen_t* screen,
                                 const QImage& frame, const TRootAtoms& atoms) {
    if (!RootTakesRgb32(xcb_get_setup(connection), screen))
        return XCB_NONE;
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
        return XCB_NONE;
    }
    FreePreviousPixmap(connection, screen->root, atoms);
    for (xcb_atom_t atom : {atoms.RootPixmap, atoms.SetterPixmap})
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, screen->root, atom, XCB_ATOM_PIXMAP,
                            32, 1, &pixmap);
    xcb_change_window_attributes(connection, screen->root, XCB_CW_BACK_PIXMAP, &pixmap);
    xcb_clear_area(connection, 0, screen->root, 0, 0, 0, 0);
    return pixmap;
}

// The plain background of a root window without wallpaper, nothing left that names a pixmap.
void ClearScreenBackground(xcb_connection_t* connection, const xcb_screen_t* screen,
                           const TRootAtoms& atoms) {
    FreePreviousPixmap(connection, screen->root, atoms);
    for (xcb_atom_t atom : {atoms.RootPixmap, atoms.SetterPixmap, atoms.Record})
        xcb_delete_property(connection, screen->root, atom);
    const uint32_t black = screen->black_pixel;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_BACK_PIXEL, &black);
    xcb_clear_area(connection, 0, screen->root, 0, 0, 0, 0);
}

// Writes the picture as a PNG file, making its folder; false, with the reason, when it cannot.
bool WritePng(const QImage& picture, const QString& folder, const QString& fileName,
              QString& reason) {
    if (picture.isNull()) {
        reason = QStringLiteral("its pixels cannot be read");
        return false;
    }
    if (!ForceDirectories(folder)) {
        reason = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return WriteFileAtomically(fileName, png, reason);
}

// Waits until the server has dealt with every request; false when the connection broke.
bool Sync(xcb_connection_t* connection) {
    const TReply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    return sync != nullptr;
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

xcb_connection_t* TRootWindowWallpaper::Connect() {
    const QByteArray display = QFile::encodeName(FDisplayName);
    TConnection connection(xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr));
    if (!xcb_connection_has_error(connection.get()))
        return connection.release();
    Failed(QStringLiteral("cannot open the X display %1")
               .arg(display.isEmpty() ? qEnvironmentVariable("DISPLAY") : FDisplayName));
    return nullptr;
}

bool TRootWindowWallpaper::GetWallpaper(QString& fileName, TLxWallpaperStyle& style) {
    fileName.clear();
    style = wsCentered;
    const TConnection connection(Connect());
    if (!connection)
        return false;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection.get())).data;
    const TRootAtoms atoms = InternRootAtoms(connection.get());
    const xcb_pixmap_t shown = ReadPixmapProperty(connection.get(), screen->root, atoms.RootPixmap);
    if (shown == XCB_NONE)
        return Succeeded();
    const QImage pixels = PixmapImage(connection.get(), screen, shown);
    if (ReadRecord(connection.get(), screen->root, atoms, pixels, fileName, style))
        return Succeeded();
    return ReadForeignWallpaper(pixels, fileName, style);
}

bool TRootWindowWallpaper::ReadForeignWallpaper(const QImage& shown, QString& fileName,
                                                TLxWallpaperStyle& style) {
    const QString copy =
        IncludeTrailingPathDelimiter(FStateFolder) + QStringLiteral("desktop-startup.png");
    QString reason;
    const bool copied = WritePng(shown, FStateFolder, copy, reason);
    // What the other program wrote down names the file; without that the copy is all we have.
    if (!ReadOtherSetterChoice(fileName, style)) {
        if (!copied)
            return Failed(QStringLiteral("the root window shows a picture of another program, "
                                         "and it cannot be copied to %1: %2")
                              .arg(copy, reason));
        fileName = copy;
        style = wsCentered;
    }
    if (copied)
        FForeign.Remember(fileName, style, copy);
    return Succeeded();
}

bool TRootWindowWallpaper::SetWallpaper(const QString& fileName, TLxWallpaperStyle style) {
    if (fileName.isEmpty())
        return ClearWallpaper();
    // Another program's picture goes back as the pixels we copied, exactly as it was shown.
    const QString* copy = FForeign.Find(fileName, style);
    const QString source = copy ? *copy : fileName;
    QImage picture;
    QString error;
    if (!ReadWallpaperPicture(source, picture, error))
        return Failed(error);
    const TConnection connection(Connect());
    if (!connection)
        return false;
    const TRootAtoms atoms = InternRootAtoms(connection.get());
    bool set = true;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection.get())); it.rem;
         xcb_screen_next(&it)) {
        const QImage frame =
            RenderRootPicture(picture, QSize(it.data->width_in_pixels, it.data->height_in_pixels),
                              copy ? wsCentered : style);
        const xcb_pixmap_t pixmap = SetScreenBackground(connection.get(), it.data, frame, atoms);
        if (pixmap != XCB_NONE)
            WriteRecord(connection.get(), it.data->root, atoms, frame, fileName, ValidStyle(style));
        set = pixmap != XCB_NONE && set;
    }
    // The pixmaps must outlive this connection: they are the desktop's background from now on.
    xcb_set_close_down_mode(connection.get(), XCB_CLOSE_DOWN_RETAIN_PERMANENT);
    if (!Sync(connection.get()))
        return Failed(QStringLiteral("the connection to the X display broke"));
    if (!set)
        return Failed(QStringLiteral("the X server refused the background: a screen is not "
                                     "32-bit true colour or lacks memory for the picture"));
    return copy ? Keep(*copy, wsCentered) : Keep(fileName, style);
}

bool TRootWindowWallpaper::ClearWallpaper() {
    const TConnection connection(Connect());
    if (!connection)
        return false;
    const TRootAtoms atoms = InternRootAtoms(connection.get());
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection.get())); it.rem;
         xcb_screen_next(&it))
        ClearScreenBackground(connection.get(), it.data, atoms);
    if (!Sync(connection.get()))
        return Failed(QStringLiteral("the connection to the X display broke"));
    return Keep(QString(), wsCentered);
}

bool TRootWindowWallpaper::Keep(const QString& fileName, TLxWallpaperStyle style) {
    QString error;
    // The screen shows it already: only the next login will miss it.
    if (!SaveWallpaperState(FStateFolder, {fileName, ValidStyle(style), {}}, error))
        return SucceededWithNotice(
            QStringLiteral("%1, so it will not come back at the next login").arg(error));
    return SucceededWithNotice(QString());
}

// librsvg first: its GLib headers use names that Qt defines as macros.
#include <cairo.h>
#include <librsvg/rsvg.h>

#include "SvgReader.h"

#include "Dib.h"
#include "Graphics.h"

#include <cmath>
#include <memory>

namespace {

// Cairo's image surfaces take no side longer than this.
constexpr int MaxCairoSide = 32767;
constexpr double ScreenDpi = 96;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(QStringLiteral("SVG image is not valid"));
}

void CheckSize(const QSize& size) {
    if (qint64(size.width()) * size.height() > MaxPicturePixels || size.width() > MaxCairoSide ||
        size.height() > MaxCairoSide)
        throw EInvalidGraphic(QStringLiteral("SVG image is too large (%1 x %2 pixels)")
                                  .arg(size.width())
                                  .arg(size.height()));
}

struct TObjectUnref {
    void operator()(RsvgHandle* handle) const { g_object_unref(handle); }
};
using THandle = std::unique_ptr<RsvgHandle, TObjectUnref>;

THandle Parse(const QByteArray& data) {
    GError* error = nullptr;
    // librsvg recognises gzip-compressed data by its magic number and inflates it itself.
    THandle handle(rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(data.constData()),
                                             gsize(data.size()), &error));
    if (error)
        g_error_free(error);
    if (!handle)
        Invalid();
    rsvg_handle_set_dpi(handle.get(), ScreenDpi);
    return handle;
}

// Bounded only so that a wild length still fits an int; CheckSize refuses what is too large.
int RoundedUp(double length) {
    return int(std::ceil(qBound(1.0, length, 1e9)));
}

QSize DeclaredSize(RsvgHandle* handle) {
    double width = 0, height = 0;
    if (rsvg_handle_get_intrinsic_size_in_pixels(handle, &width, &height) && width > 0 &&
        height > 0)
        return QSize(RoundedUp(width), RoundedUp(height));
    gboolean hasWidth = false, hasHeight = false, hasViewBox = false;
    RsvgLength declaredWidth, declaredHeight;
    RsvgRectangle viewBox{};
    rsvg_handle_get_intrinsic_dimensions(handle, &hasWidth, &declaredWidth, &hasHeight,
                                         &declaredHeight, &hasViewBox, &viewBox);
    if (hasViewBox && viewBox.width > 0 && viewBox.height > 0)
        return QSize(SvgDefaultWidth, RoundedUp(SvgDefaultWidth * viewBox.height / viewBox.width));
    return QSize(SvgDefaultWidth, SvgDefaultWidth);
}

struct TSurfaceDestroy {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct TContextDestroy {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};

} // namespace

QSize ReadSvgSize(const QByteArray& data) {
    const THandle handle = Parse(data);
    const QSize size = DeclaredSize(handle.get());
    CheckSize(size);
    return size;
}

QImage RenderSvg(const QByteArray& data, const QSize& size) {
    CheckSize(size);
    const THandle handle = Parse(data);
    // Cairo's ARGB32 is premultiplied, native-endian 32-bit words: QImage's own layout.
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        Invalid();
    image.fill(Qt::transparent);
    const std::unique_ptr<cairo_surface_t, TSurfaceDestroy> surface(
        cairo_image_surface_create_for_data(image.bits(), CAIRO_FORMAT_ARGB32, size.width(),
                                            size.height(), int(image.bytesPerLine())));
    const std::unique_ptr<cairo_t, TContextDestroy> context(cairo_create(surface.get()));
    const RsvgRectangle viewport{0, 0, double(size.width()), double(size.height())};
    GError* error = nullptr;
    const bool drawn = rsvg_handle_render_document(handle.get(), context.get(), &viewport, &error);
    if (error)
        g_error_free(error);
    if (!drawn || cairo_status(context.get()) != CAIRO_STATUS_SUCCESS)
        Invalid();
    cairo_surface_flush(surface.get());
    return image;
}

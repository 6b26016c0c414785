#include "TiffReader.h"

#include "Graphics.h"

#include <QTransform>

#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// One allocation of the library may not exceed what the largest picture we take needs.
constexpr tmsize_t MaxLibraryAllocation = tmsize_t(MaxPicturePixels) * 4;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(QStringLiteral("TIFF image is not valid"));
}

// The bytes libtiff reads through its client procedures, with the reading position.
struct TStream {
    const QByteArray& Data;
    toff_t Position = 0;
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size) {
    auto* stream = static_cast<TStream*>(handle);
    const toff_t left =
        toff_t(stream->Data.size()) - qMin(stream->Position, toff_t(stream->Data.size()));
    const tmsize_t count = tmsize_t(qMin(toff_t(size), left));
    if (count > 0)
        std::memcpy(buffer, stream->Data.constData() + stream->Position, size_t(count));
    stream->Position += toff_t(count);
    return count;
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
    auto* stream = static_cast<TStream*>(handle);
    const toff_t base = whence == SEEK_CUR   ? stream->Position
                        : whence == SEEK_END ? toff_t(stream->Data.size())
                                             : 0;
    stream->Position = base + offset;
    return stream->Position;
}

int CloseProc(thandle_t) {
    return 0;
}

toff_t SizeProc(thandle_t handle) {
    return toff_t(static_cast<TStream*>(handle)->Data.size());
}

// The library reports every problem through the call that failed; its texts are not shown.
int QuietHandler(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

struct TTiffClose {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TTiffHandle = std::unique_ptr<TIFF, TTiffClose>;

TTiffHandle Open(TStream& stream) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, MaxLibraryAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options, QuietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, QuietHandler, nullptr);
    // "m": no memory mapping, every read goes through ReadProc and its bounds.
    TTiffHandle tiff(TIFFClientOpenExt("picture", "rm", &stream, ReadProc, WriteProc, SeekProc,
                                       CloseProc, SizeProc, nullptr, nullptr, options));
    TIFFOpenOptionsFree(options);
    if (!tiff)
        Invalid();
    return tiff;
}

// Orientations 5 to 8 store the picture turned a quarter: its rows are the shown columns.
bool TurnsQuarter(int orientation) {
    return orientation >= ORIENTATION_LEFTTOP && orientation <= ORIENTATION_LEFTBOT;
}

// The stored raster (first row at the top, as stored) as it is meant to be seen.
QImage Upright(const QImage& stored, int orientation) {
    switch (orientation) {
    case ORIENTATION_TOPRIGHT:
        return stored.mirrored(true, false);
    case ORIENTATION_BOTRIGHT:
        return stored.mirrored(true, true);
    case ORIENTATION_BOTLEFT:
        return stored.mirrored(false, true);
    case ORIENTATION_LEFTTOP: // the transpose
        return stored.transformed(QTransform().rotate(90)).mirrored(true, false);
    case ORIENTATION_RIGHTTOP:
        return stored.transformed(QTransform().rotate(90));
    case ORIENTATION_RIGHTBOT: // the anti-transpose
        return stored.transformed(QTransform().rotate(270)).mirrored(true, false);
    case ORIENTATION_LEFTBOT:
        return stored.transformed(QTransform().rotate(270));
    default:
        return stored;
    }
}

struct TPage {
    QSize Stored;
    int Orientation = ORIENTATION_TOPLEFT;
};

TPage ReadPage(TIFF* tiff) {
    uint32_t width = 0, height = 0;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0)
        Invalid();
    if (qint64(width) * height > MaxPicturePixels)
        throw EInvalidGraphic(
            QStringLiteral("TIFF image is too large (%1 x %2 pixels)").arg(width).arg(height));
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    return {QSize(int(width), int(height)), orientation};
}

// Owns the library's RGBA reader state for one page.
class TRgbaReader {
public:
    explicit TRgbaReader(TIFF* tiff) {
        char message[1024];
        if (!TIFFRGBAImageOK(tiff, message) || !TIFFRGBAImageBegin(&FImage, tiff, 1, message))
            Invalid();
    }
    ~TRgbaReader() { TIFFRGBAImageEnd(&FImage); }
    TRgbaReader(const TRgbaReader&) = delete;
    TRgbaReader& operator=(const TRgbaReader&) = delete;

    // The page as stored, first row on top, premultiplied R, G, B, A bytes per pixel.
    QImage Read(const QSize& size) {
        // The orientation is applied afterwards, all eight of them in one place.
        FImage.orientation = ORIENTATION_TOPLEFT;
        FImage.req_orientation = ORIENTATION_TOPLEFT;
        QImage raster(size, QImage::Format_RGBA8888_Premultiplied);
        if (raster.isNull() || raster.bytesPerLine() != qsizetype(size.width()) * 4)
            Invalid();
        auto* pixels = reinterpret_cast<uint32_t*>(raster.bits());
        if (!TIFFRGBAImageGet(&FImage, pixels, uint32_t(size.width()), uint32_t(size.height())))
            Invalid();
        return raster;
    }
    bool HasAlpha() const { return FImage.alpha != 0; }

private:
    TIFFRGBAImage FImage{};
};

} // namespace

QSize ReadTiffSize(const QByteArray& data) {
    TStream stream{data};
    const TTiffHandle tiff = Open(stream);
    const TPage page = ReadPage(tiff.get());
    return TurnsQuarter(page.Orientation) ? page.Stored.transposed() : page.Stored;
}

TDib DecodeTiff(const QByteArray& data) {
    TStream stream{data};
    const TTiffHandle tiff = Open(stream);
    const TPage page = ReadPage(tiff.get());
    TRgbaReader reader(tiff.get());
    const bool alpha = reader.HasAlpha();
    TDib dib;
    // Converted in place: the raster is the picture's one full-size copy.
    dib.Image = Upright(reader.Read(page.Stored), page.Orientation);
    dib.Image.convertTo(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    dib.BitsPerPixel = alpha ? 32 : 24;
    return dib;
}

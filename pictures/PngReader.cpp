#include "PngReader.h"

#include "Graphics.h"

#include <png.h>

namespace {

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(QStringLiteral("PNG image is not valid"));
}

// The simplified libpng API keeps its error jump inside the library, so nothing here is
// skipped by a longjmp; this owns the control structure it allocates.
class TPngImage {
public:
    explicit TPngImage(const QByteArray& data) {
        FImage.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&FImage, data.constData(), size_t(data.size())))
            Invalid();
        if (qint64(FImage.width) * FImage.height > MaxPicturePixels) {
            // A constructor that throws runs no destructor: the library's structure goes here.
            png_image_free(&FImage);
            throw EInvalidGraphic(QStringLiteral("PNG image is too large (%1 x %2 pixels)")
                                      .arg(FImage.width)
                                      .arg(FImage.height));
        }
    }
    ~TPngImage() { png_image_free(&FImage); }
    TPngImage(const TPngImage&) = delete;
    TPngImage& operator=(const TPngImage&) = delete;

    png_image& Image() { return FImage; }

private:
    png_image FImage{};
};

} // namespace

QSize ReadPngSize(const QByteArray& data) {
    TPngImage png(data);
    return QSize(int(png.Image().width), int(png.Image().height));
}

TDib DecodePng(const QByteArray& data) {
    TPngImage png(data);
    png_image& image = png.Image();
    const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    // QImage's 32-bit formats are B, G, R, A in memory on little-endian machines.
    image.format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    TDib dib;
    dib.Image = QImage(int(image.width), int(image.height),
                       alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (dib.Image.isNull())
        Invalid();
    if (!png_image_finish_read(&image, nullptr, dib.Image.bits(),
                               png_int_32(dib.Image.bytesPerLine()), nullptr))
        Invalid();
    dib.BitsPerPixel = alpha ? 32 : 24;
    return dib;
}

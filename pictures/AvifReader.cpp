#include "AvifReader.h"

#include "Dib.h"

#include <avif/avif.h>

#include <QTransform>

#include <memory>

namespace {

struct TDecoderRelease {
    void operator()(avifDecoder* decoder) const { avifDecoderDestroy(decoder); }
};
using TDecoder = std::unique_ptr<avifDecoder, TDecoderRelease>;

[[noreturn]] void NotValid() {
    throw EInvalidGraphic(QStringLiteral("AVIF image is not valid"));
}

// A decoder that has parsed data's container; data must outlive it (the library reads in place).
TDecoder ParsedDecoder(const QByteArray& data) {
    TDecoder decoder(avifDecoderCreate());
    if (!decoder)
        NotValid();
    decoder->imageSizeLimit = uint32_t(MaxPicturePixels);
    decoder->ignoreExif = AVIF_TRUE;
    decoder->ignoreXMP = AVIF_TRUE;
    if (avifDecoderSetIOMemory(decoder.get(), reinterpret_cast<const uint8_t*>(data.constData()),
                               size_t(data.size())) != AVIF_RESULT_OK ||
        avifDecoderParse(decoder.get()) != AVIF_RESULT_OK)
        NotValid();
    const avifImage& image = *decoder->image;
    if (!IsAcceptedPictureSize(image.width, image.height))
        throw EInvalidGraphic(QStringLiteral("AVIF image is too large (%1 x %2 pixels)")
                                  .arg(image.width)
                                  .arg(image.height));
    return decoder;
}

// The clean aperture to keep, or the whole picture when the file has none or an invalid one.
QRect CleanAperture(avifDecoder& decoder) {
    const avifImage& image = *decoder.image;
    const QRect whole(0, 0, int(image.width), int(image.height));
    avifCropRect crop;
    if (!(image.transformFlags & AVIF_TRANSFORM_CLAP) ||
        !avifCropRectConvertCleanApertureBox(&crop, &image.clap, image.width, image.height,
                                             image.yuvFormat, &decoder.diag))
        return whole;
    return QRect(int(crop.x), int(crop.y), int(crop.width), int(crop.height)).intersected(whole);
}

bool QuarterTurned(const avifImage& image) {
    return (image.transformFlags & AVIF_TRANSFORM_IROT) && image.irot.angle % 2 == 1;
}

// Crop, then rotation, then mirror: the order in which the container applies them.
QImage Upright(QImage image, avifDecoder& decoder) {
    const avifImage& header = *decoder.image;
    const QRect aperture = CleanAperture(decoder);
    if (aperture != image.rect())
        image = image.copy(aperture);
    // irot counts quarter turns anticlockwise; Qt's positive angles turn clockwise on screen.
    if ((header.transformFlags & AVIF_TRANSFORM_IROT) && header.irot.angle % 4 != 0)
        image = image.transformed(QTransform().rotate(-90.0 * (header.irot.angle % 4)));
    // Mirror mode 0 exchanges top and bottom, mode 1 left and right.
    if (header.transformFlags & AVIF_TRANSFORM_IMIR)
        image = image.mirrored(header.imir.mode == 1, header.imir.mode == 0);
    return image;
}

} // namespace

QSize ReadAvifSize(const QByteArray& data) {
    const TDecoder decoder = ParsedDecoder(data);
    const QSize size = CleanAperture(*decoder).size();
    return QuarterTurned(*decoder->image) ? size.transposed() : size;
}

QImage DecodeAvif(const QByteArray& data) {
    const TDecoder decoder = ParsedDecoder(data);
    if (avifDecoderNextImage(decoder.get()) != AVIF_RESULT_OK)
        NotValid();
    const avifImage& decoded = *decoder->image;
    const bool alpha = decoded.alphaPlane != nullptr;
    QImage image(int(decoded.width), int(decoded.height),
                 alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        NotValid();
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, &decoded);
    // Qt's 32-bit pixels are 0xAARRGGBB words, B G R A in memory on this little-endian machine.
    rgb.format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AVIF_RGB_FORMAT_BGRA : AVIF_RGB_FORMAT_ARGB;
    rgb.depth = 8;
    rgb.pixels = image.bits();
    rgb.rowBytes = uint32_t(image.bytesPerLine());
    if (avifImageYUVToRGB(&decoded, &rgb) != AVIF_RESULT_OK)
        NotValid();
    return Upright(std::move(image), *decoder);
}

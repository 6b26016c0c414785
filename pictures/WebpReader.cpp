#include "WebpReader.h"

#include "Graphics.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>

namespace {

// QImage's 32-bit formats are B, G, R, A in memory on little-endian machines.
constexpr WEBP_CSP_MODE NativeMode = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? MODE_BGRA : MODE_ARGB;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(QStringLiteral("WebP image is not valid"));
}

const uint8_t* Bytes(const QByteArray& data) {
    return reinterpret_cast<const uint8_t*>(data.constData());
}

WebPBitstreamFeatures Features(const QByteArray& data) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(Bytes(data), size_t(data.size()), &features) != VP8_STATUS_OK)
        Invalid();
    if (qint64(features.width) * features.height > MaxPicturePixels)
        throw EInvalidGraphic(QStringLiteral("WebP image is too large (%1 x %2 pixels)")
                                  .arg(features.width)
                                  .arg(features.height));
    return features;
}

QImage NewImage(const QSize& size, bool alpha) {
    QImage image(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        Invalid();
    return image;
}

QImage DecodeStill(const QByteArray& data, const QSize& size, bool alpha) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        Invalid();
    config.options.use_scaling = 1;
    config.options.scaled_width = size.width();
    config.options.scaled_height = size.height();
    QImage image = NewImage(size, alpha);
    config.output.colorspace = NativeMode;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image.bits();
    config.output.u.RGBA.stride = int(image.bytesPerLine());
    config.output.u.RGBA.size = size_t(image.sizeInBytes());
    const VP8StatusCode status = WebPDecode(Bytes(data), size_t(data.size()), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        Invalid();
    return image;
}

struct TAnimDecoderDelete {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

// The first frame composed on the canvas, as the animation would show it first.
QImage DecodeFirstFrame(const QByteArray& data, bool alpha) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        Invalid();
    options.color_mode = NativeMode;
    options.use_threads = 0;
    const WebPData bytes{Bytes(data), size_t(data.size())};
    const std::unique_ptr<WebPAnimDecoder, TAnimDecoderDelete> decoder(
        WebPAnimDecoderNew(&bytes, &options));
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info))
        Invalid();
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp))
        Invalid();
    QImage image = NewImage(QSize(int(info.canvas_width), int(info.canvas_height)), alpha);
    const qsizetype row = qsizetype(info.canvas_width) * 4;
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(image.scanLine(y), canvas + y * row, size_t(row));
    return image;
}

} // namespace

QSize ReadWebpSize(const QByteArray& data) {
    const WebPBitstreamFeatures features = Features(data);
    return QSize(features.width, features.height);
}

TDib DecodeWebp(const QByteArray& data, const QSize& size) {
    const WebPBitstreamFeatures features = Features(data);
    const QSize own(features.width, features.height);
    const QSize wanted = size.isEmpty() ? own : size;
    if (qint64(wanted.width()) * wanted.height() > MaxPicturePixels)
        Invalid();
    // An animation's first frame need not cover its canvas, which is transparent elsewhere.
    const bool alpha = features.has_alpha != 0 || features.has_animation != 0;
    TDib dib;
    if (features.has_animation) {
        dib.Image = DecodeFirstFrame(data, alpha);
        if (wanted != own)
            dib.Image = dib.Image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        dib.Image = DecodeStill(data, wanted, alpha);
    }
    dib.BitsPerPixel = alpha ? 32 : 24;
    return dib;
}

#include "JxlReader.h"

#include "Dib.h"

#include <jxl/decode.h>

#include <memory>

namespace {

struct TDecoderRelease {
    void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};
using TDecoder = std::unique_ptr<JxlDecoder, TDecoderRelease>;

[[noreturn]] void NotValid() {
    throw EInvalidGraphic(QStringLiteral("JPEG XL image is not valid"));
}

TDecoder StartDecoder(const QByteArray& data, int events) {
    TDecoder decoder(JxlDecoderCreate(nullptr));
    if (!decoder || JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS ||
        JxlDecoderSetUnpremultiplyAlpha(decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder.get(), reinterpret_cast<const uint8_t*>(data.constData()),
                           size_t(data.size())) != JXL_DEC_SUCCESS)
        NotValid();
    JxlDecoderCloseInput(decoder.get());
    return decoder;
}

JxlBasicInfo ReadBasicInfo(JxlDecoder* decoder) {
    JxlBasicInfo info;
    if (JxlDecoderProcessInput(decoder) != JXL_DEC_BASIC_INFO ||
        JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS)
        NotValid();
    if (!IsAcceptedPictureSize(info.xsize, info.ysize))
        throw EInvalidGraphic(QStringLiteral("JPEG XL image is too large (%1 x %2 pixels)")
                                  .arg(info.xsize)
                                  .arg(info.ysize));
    return info;
}

// The library turns the picture upright as it decodes; orientations 5 to 8 swap its sides.
QSize UprightSize(const JxlBasicInfo& info) {
    const QSize stored(int(info.xsize), int(info.ysize));
    return info.orientation >= JXL_ORIENT_TRANSPOSE ? stored.transposed() : stored;
}

QImage Finished(QImage image, const JxlBasicInfo& info) {
    image.convertTo(info.alpha_bits > 0 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    return image;
}

} // namespace

QSize ReadJxlSize(const QByteArray& data) {
    const TDecoder decoder = StartDecoder(data, JXL_DEC_BASIC_INFO);
    return UprightSize(ReadBasicInfo(decoder.get()));
}

QImage DecodeJxl(const QByteArray& data) {
    const TDecoder decoder = StartDecoder(data, JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE);
    const JxlBasicInfo info = ReadBasicInfo(decoder.get());
    const QSize size = UprightSize(info);
    const JxlPixelFormat format{4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    QImage image(size, QImage::Format_RGBA8888);
    if (image.isNull())
        NotValid();
    for (;;) {
        switch (JxlDecoderProcessInput(decoder.get())) {
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            size_t needed = 0;
            if (JxlDecoderImageOutBufferSize(decoder.get(), &format, &needed) != JXL_DEC_SUCCESS ||
                needed != size_t(image.sizeInBytes()) ||
                JxlDecoderSetImageOutBuffer(decoder.get(), &format, image.bits(), needed) !=
                    JXL_DEC_SUCCESS)
                NotValid();
            break;
        }
        case JXL_DEC_FULL_IMAGE:
            return Finished(std::move(image), info);
        default: // an error, a truncated file, or the end without a frame
            NotValid();
        }
    }
}

// Feeds arbitrary bytes to the JPEG header reader and, for images small enough to decode
// quickly, to the full decoder (24-bit or quantised, chosen by the last byte) and to the
// thumbnail decoder reading them as a file.
#include "Exception.h"
#include "JpegDecoder.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

namespace {
constexpr qint64 FuzzPixelLimit = qint64(1) << 18;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QSize imageSize = ReadJpegSize(bytes);
        if (qint64(imageSize.width()) * imageSize.height() > FuzzPixelLimit)
            return 0;
        QBuffer file;
        file.setData(bytes);
        file.open(QIODevice::ReadOnly);
        DecodeJpegThumbnail(file, QSize(40, 30));
        DecodeJpeg(bytes, size > 0 && (data[size - 1] & 1));
    } catch (const Exception&) {
    }
    return 0;
}

// Feeds arbitrary bytes to the WebP header reader and, for pictures small enough to decode
// quickly, to the decoder at full size or (chosen by the last byte) scaled to a third.
#include "Exception.h"
#include "WebpReader.h"

#include <cstddef>
#include <cstdint>

namespace {
constexpr qint64 FuzzPixelLimit = qint64(1) << 18;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QSize imageSize = ReadWebpSize(bytes);
        if (qint64(imageSize.width()) * imageSize.height() <= FuzzPixelLimit)
            DecodeWebp(bytes, size > 0 && (data[size - 1] & 1)
                                  ? (imageSize / 3).expandedTo(QSize(1, 1))
                                  : QSize());
    } catch (const Exception&) {
    }
    return 0;
}

// Feeds arbitrary bytes to the AVIF header reader and, for pictures small enough to decode
// quickly, to the decoder with its crop, rotation and mirror.
#include "AvifReader.h"
#include "Exception.h"

#include <cstddef>
#include <cstdint>

namespace {
constexpr qint64 FuzzPixelLimit = qint64(1) << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QSize pictureSize = ReadAvifSize(bytes);
        if (qint64(pictureSize.width()) * pictureSize.height() <= FuzzPixelLimit)
            DecodeAvif(bytes);
    } catch (const Exception&) {
    }
    return 0;
}

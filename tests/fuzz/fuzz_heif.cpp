// Feeds arbitrary bytes to the HEIF header reader and, for pictures small enough to decode
// quickly, to the decoder at full size and from a thumbnail (chosen by the last byte).
#include "Exception.h"
#include "HeifReader.h"

#include <cstddef>
#include <cstdint>

namespace {
constexpr qint64 FuzzPixelLimit = qint64(1) << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QSize pictureSize = ReadHeifSize(bytes);
        if (qint64(pictureSize.width()) * pictureSize.height() <= FuzzPixelLimit)
            DecodeHeif(bytes, size > 0 && (data[size - 1] & 1) ? QSize(8, 8) : QSize());
    } catch (const Exception&) {
    }
    return 0;
}

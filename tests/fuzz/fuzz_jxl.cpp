// Feeds arbitrary bytes to the JPEG XL header reader and, for pictures small enough to decode
// quickly, to the decoder.
#include "Exception.h"
#include "JxlReader.h"

#include <cstddef>
#include <cstdint>

namespace {
constexpr qint64 FuzzPixelLimit = qint64(1) << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QSize pictureSize = ReadJxlSize(bytes);
        if (qint64(pictureSize.width()) * pictureSize.height() <= FuzzPixelLimit)
            DecodeJxl(bytes);
    } catch (const Exception&) {
    }
    return 0;
}

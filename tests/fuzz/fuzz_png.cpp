// Feeds arbitrary bytes to the PNG header reader and, for pictures small enough to decode
// quickly, to the full decoder.
#include "Exception.h"
#include "PngReader.h"

#include <cstddef>
#include <cstdint>

namespace {
constexpr qint64 FuzzPixelLimit = qint64(1) << 18;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QSize imageSize = ReadPngSize(bytes);
        if (qint64(imageSize.width()) * imageSize.height() <= FuzzPixelLimit)
            DecodePng(bytes);
    } catch (const Exception&) {
    }
    return 0;
}

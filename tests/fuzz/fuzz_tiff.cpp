// Feeds arbitrary bytes to the TIFF header reader and, for pages small enough to decode
// quickly, to the full decoder with its orientation.
#include "Exception.h"
#include "TiffReader.h"

#include <cstddef>
#include <cstdint>

namespace {
constexpr qint64 FuzzPixelLimit = qint64(1) << 18;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QSize imageSize = ReadTiffSize(bytes);
        if (qint64(imageSize.width()) * imageSize.height() <= FuzzPixelLimit)
            DecodeTiff(bytes);
    } catch (const Exception&) {
    }
    return 0;
}

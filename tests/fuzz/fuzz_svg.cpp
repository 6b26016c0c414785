// Feeds arbitrary bytes (plain or gzip-compressed documents) to the SVG size reader and renders
// what parses into a small image, as a thumbnail cell would.
#include "Exception.h"
#include "SvgReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QSize declared = ReadSvgSize(bytes);
        RenderSvg(bytes, declared.scaled(QSize(64, 64), Qt::KeepAspectRatio).expandedTo({1, 1}));
    } catch (const Exception&) {
    }
    return 0;
}

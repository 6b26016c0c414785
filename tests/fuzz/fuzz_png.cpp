// Feeds arbitrary bytes to the PNG header reader and, for pictures small enough to decode
// quickly, to the full decoder.
#include "FuzzReader.h"
#include "PngReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzHeaderThenDecode(
        data, size, qint64(1) << 18, [](const QByteArray& bytes) { return ReadPngSize(bytes); },
        [](const QByteArray& bytes, const QSize&) { DecodePng(bytes); });
}

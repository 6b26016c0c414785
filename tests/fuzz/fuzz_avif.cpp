// Feeds arbitrary bytes to the AVIF header reader and, for pictures small enough to decode
// quickly, to the decoder with its crop, rotation and mirror.
#include "AvifReader.h"
#include "FuzzReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzHeaderThenDecode(
        data, size, qint64(1) << 20, [](const QByteArray& bytes) { return ReadAvifSize(bytes); },
        [](const QByteArray& bytes, const QSize&) { DecodeAvif(bytes); });
}

// Feeds arbitrary bytes to the HEIF header reader and, for pictures small enough to decode
// quickly, to the decoder at full size and from a thumbnail (chosen by the last byte).
#include "FuzzReader.h"
#include "HeifReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzHeaderThenDecode(
        data, size, qint64(1) << 20, [](const QByteArray& bytes) { return ReadHeifSize(bytes); },
        [data, size](const QByteArray& bytes, const QSize&) {
            DecodeHeif(bytes, size > 0 && (data[size - 1] & 1) ? QSize(8, 8) : QSize());
        });
}

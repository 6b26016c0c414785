// Feeds arbitrary bytes to the WebP header reader and, for pictures small enough to decode
// quickly, to the decoder at full size or (chosen by the last byte) scaled to a third.
#include "FuzzReader.h"
#include "WebpReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzHeaderThenDecode(
        data, size, qint64(1) << 18, [](const QByteArray& bytes) { return ReadWebpSize(bytes); },
        [data, size](const QByteArray& bytes, const QSize& pictureSize) {
            DecodeWebp(bytes, size > 0 && (data[size - 1] & 1)
                                  ? (pictureSize / 3).expandedTo(QSize(1, 1))
                                  : QSize());
        });
}

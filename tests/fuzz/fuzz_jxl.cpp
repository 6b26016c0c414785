// Feeds arbitrary bytes to the JPEG XL header reader and, for pictures small enough to decode
// quickly, to the decoder.
#include "FuzzReader.h"
#include "JxlReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzHeaderThenDecode(
        data, size, qint64(1) << 20, [](const QByteArray& bytes) { return ReadJxlSize(bytes); },
        [](const QByteArray& bytes, const QSize&) { DecodeJxl(bytes); });
}

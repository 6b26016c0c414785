// Feeds arbitrary bytes to the TIFF header reader and, for pages small enough to decode
// quickly, to the full decoder with its orientation.
#include "FuzzReader.h"
#include "TiffReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzHeaderThenDecode(
        data, size, qint64(1) << 18, [](const QByteArray& bytes) { return ReadTiffSize(bytes); },
        [](const QByteArray& bytes, const QSize&) { DecodeTiff(bytes); });
}

// Feeds arbitrary bytes to the JPEG Exif orientation reader, which must never read outside them.
#include "ExifOrientation.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int orientation = ReadExifOrientation(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (orientation < 1 || orientation > 8)
        __builtin_trap();
    return 0;
}

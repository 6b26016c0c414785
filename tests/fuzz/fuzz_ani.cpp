// Feeds arbitrary bytes to TJvAni (the RIFF reader and every frame's icon) and converts what
// loads into a bitmap strip.
#include "Ani.h"
#include "Bitmap.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        TJvAni ani;
        ani.LoadFromBytes(bytes);
        TBitmap bitmap;
        bitmap.Assign(ani);
    } catch (const Exception&) {
    }
    return 0;
}

// Feeds arbitrary bytes to the icon reader, once as an icon file and once as an animation
// frame (cursors allowed), at two display depths.
#include "Exception.h"
#include "IcoReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const bool cursors : {false, true}) {
        try {
            ReadIco(bytes, cursors ? 4 : 32, cursors);
        } catch (const Exception&) {
        }
    }
    return 0;
}

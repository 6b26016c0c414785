// Feeds arbitrary bytes to the GIF reader and decodes every frame small enough to decode
// quickly, whole and row by row into a thumbnail.
#include "Exception.h"
#include "GifReader.h"

#include <cstddef>
#include <cstdint>

namespace {
constexpr qint64 FuzzPixelLimit = qint64(1) << 22;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        for (const TGifFrameData& frame : ReadGif(bytes).Frames) {
            if (qint64(frame.Width) * frame.Height <= FuzzPixelLimit) {
                DecodeGifFrame(frame);
                DecodeGifFrameThumbnail(frame, QSize(7, 5));
            }
        }
    } catch (const Exception&) {
    }
    return 0;
}

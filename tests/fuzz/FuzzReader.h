#pragma once
// The shape the readers' fuzz targets share: arbitrary bytes to a format's header reader and,
// for pictures small enough to decode quickly, to its decoder; the format's own error is a
// clean end.

#include "Exception.h"

#include <QByteArray>
#include <QSize>

#include <cstddef>
#include <cstdint>

// Reads the size with readSize(bytes) and, when it is within pixelLimit pixels, calls
// decode(bytes, size); the errors the readers raise are caught. Gives 0, as libFuzzer wants.
template <typename ReadSize, typename Decode>
int FuzzHeaderThenDecode(const uint8_t* data, size_t size, qint64 pixelLimit, ReadSize readSize,
                         Decode decode) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const QSize pictureSize = readSize(bytes);
        if (qint64(pictureSize.width()) * pictureSize.height() <= pixelLimit)
            decode(bytes, pictureSize);
    } catch (const Exception&) {
    }
    return 0;
}

// Feeds arbitrary bytes to the BMP reader and writes back whatever it decodes. Headers are read
// for every input; pictures are decoded only up to 4 megapixels, since a run-length file of a
// few bytes may rightly describe a picture up to the reader's limit, which only costs time.
// Every input is also read as a file for a thumbnail, which reads only the rows it shows.
#include "BmpReader.h"
#include "BmpWriter.h"
#include "Exception.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

namespace {
constexpr qint64 FuzzPixelLimit = qint64(1) << 22;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        QBuffer file;
        file.setData(bytes);
        file.open(QIODevice::ReadOnly);
        ReadBmpThumbnail(file, QSize(40, 30));
    } catch (const Exception&) {
    }
    try {
        const TDibHeader header = ReadBmpHeader(bytes).Dib;
        if (qint64(header.Width) * header.Height > FuzzPixelLimit)
            return 0;
        const TDib dib = ReadBmp(bytes);
        if (!dib.IsEmpty())
            WriteBmp(dib);
    } catch (const Exception&) {
    }
    return 0;
}

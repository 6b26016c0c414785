// Feeds arbitrary bytes to the BMP reader and writes back whatever it decodes.
#include "BmpReader.h"
#include "BmpWriter.h"
#include "Exception.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const TDib dib = ReadBmp(bytes);
        if (!dib.IsEmpty() && qint64(dib.Image.width()) * dib.Image.height() <= (qint64(1) << 20))
            WriteBmp(dib);
    } catch (const Exception&) {
    }
    return 0;
}

// Feeds arbitrary bytes to the placeable-metafile header reader and plays whatever it accepts into
// a small image, text included (a QGuiApplication on the offscreen platform provides fonts).
#include "WmfPlayer.h"
#include "WmfReader.h"

#include "Graphics.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const TWmfHeader header = ReadWmfHeader(bytes);
        QImage image(48, 32, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        PlayWindowsMetafile(painter, bytes, header, QRectF(2, 2, 44, 28));
    } catch (const EInvalidGraphic&) {
    }
    // Lets Qt's font cache trim itself, as the program's event loop does.
    QCoreApplication::processEvents();
    return 0;
}

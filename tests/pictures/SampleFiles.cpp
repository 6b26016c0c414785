#include "SampleFiles.h"

#include "Graphics.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

QImage DrawnInto(TGraphic& graphic, QSize canvasSize, const QRect& rect, QRgb background) {
    QImage canvas(canvasSize, QImage::Format_RGB32);
    canvas.fill(background);
    QPainter painter(&canvas);
    graphic.Draw(painter, rect);
    painter.end();
    return canvas;
}

QString WriteSample(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return file.fileName();
}

TDib QuadDib() {
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 255, 0));
    image.setPixel(0, 1, qRgb(0, 0, 255));
    image.setPixel(1, 1, qRgb(255, 255, 255));
    return TDib{image, 24};
}

QByteArray U16(quint16 value) {
    return QByteArray(1, char(value & 0xFF)) + QByteArray(1, char(value >> 8));
}

QByteArray U32(quint32 value) {
    return U16(quint16(value & 0xFFFF)) + U16(quint16(value >> 16));
}

QByteArray InfoHeader(int headerSize, qint32 width, qint32 height, int bpp, quint32 compression,
                      quint32 colorsUsed, const QList<quint32>& masks) {
    QByteArray h = U32(quint32(headerSize)) + U32(quint32(width)) + U32(quint32(height)) + U16(1) +
                   U16(quint16(bpp)) + U32(compression) + U32(0) + U32(2835) + U32(2835) +
                   U32(colorsUsed) + U32(0);
    for (int i = 0; i < masks.size() && h.size() + 4 <= headerSize; ++i)
        h += U32(masks[i]);
    h.resize(headerSize, '\0');
    return h;
}

QByteArray CoreHeader(int width, int height, int bpp) {
    return U32(12) + U16(quint16(width)) + U16(quint16(height)) + U16(1) + U16(quint16(bpp));
}

QByteArray BmpFile(const QByteArray& headerAndPalette, const QByteArray& pixels) {
    const quint32 offBits = 14 + quint32(headerAndPalette.size());
    return QByteArray("BM") + U32(offBits + quint32(pixels.size())) + U32(0) + U32(offBits) +
           headerAndPalette + pixels;
}

QByteArray Palette(const QList<QRgb>& colours) {
    QByteArray out;
    for (QRgb c : colours)
        out += QByteArray(1, char(qBlue(c))) + char(qGreen(c)) + char(qRed(c)) + '\0';
    return out;
}

namespace {

QByteArray MaskRows(int width, int height, const QList<QList<bool>>& mask) {
    const int stride = (width + 31) / 32 * 4;
    QByteArray out(stride * height, '\0');
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (y < mask.size() && x < mask[y].size() && mask[y][x])
                out[(height - 1 - y) * stride + x / 8] =
                    char(out[(height - 1 - y) * stride + x / 8] | (0x80 >> (x % 8)));
    return out;
}

} // namespace

QByteArray IconDib32(const QImage& image, const QList<QList<bool>>& mask) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QByteArray out = InfoHeader(40, argb.width(), argb.height() * 2, 32);
    for (int y = argb.height() - 1; y >= 0; --y)
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = argb.pixel(x, y);
            out +=
                QByteArray(1, char(qBlue(c))) + char(qGreen(c)) + char(qRed(c)) + char(qAlpha(c));
        }
    return out + MaskRows(argb.width(), argb.height(), mask);
}

QByteArray IconDib4(int width, int height, const QList<QRgb>& palette, const QList<int>& indexes) {
    QByteArray out = InfoHeader(40, width, height * 2, 4) + Palette(palette);
    const int stride = (width * 4 + 31) / 32 * 4;
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < width; ++x)
            row[x / 2] = char(row[x / 2] | (indexes[y * width + x] << (x % 2 == 0 ? 4 : 0)));
        out += row;
    }
    return out + MaskRows(width, height, {});
}

QByteArray IcoFile(const QList<TIconEntrySample>& entries, int type) {
    QByteArray directory = U16(0) + U16(quint16(type)) + U16(quint16(entries.size()));
    QByteArray images;
    quint32 offset = 6 + 16 * quint32(entries.size());
    for (const TIconEntrySample& e : entries) {
        directory += QByteArray(1, char(e.Width & 0xFF)) + char(e.Height & 0xFF) +
                     char(e.BitCount <= 4 ? 16 : 0) + '\0' + U16(1) + U16(quint16(e.BitCount)) +
                     U32(quint32(e.Image.size())) + U32(offset + quint32(images.size()));
        images += e.Image;
    }
    return directory + images;
}

QByteArray SolidIcon(QRgb colour, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    return IcoFile({{size, size, 32, IconDib32(image)}});
}

QByteArray Chunk(const QByteArray& id, const QByteArray& data) {
    QByteArray out = id + U32(quint32(data.size())) + data;
    if (data.size() % 2 != 0)
        out += '\0';
    return out;
}

QByteArray AniFile(const QList<QByteArray>& icons, const QList<quint32>& sequence,
                   const QList<quint32>& rates, quint32 bitCount, quint32 displayRate) {
    const quint32 steps = sequence.isEmpty() ? quint32(icons.size()) : quint32(sequence.size());
    const quint32 flags = 1 | (sequence.isEmpty() ? 0 : 2);
    const QByteArray header = U32(36) + U32(quint32(icons.size())) + U32(steps) + U32(0) + U32(0) +
                              U32(bitCount) + U32(1) + U32(displayRate) + U32(flags);
    QByteArray body = QByteArray("ACON") + Chunk("anih", header);
    auto numbers = [](const QList<quint32>& values) {
        QByteArray out;
        for (quint32 v : values)
            out += U32(v);
        return out;
    };
    if (!rates.isEmpty())
        body += Chunk("rate", numbers(rates));
    if (!sequence.isEmpty())
        body += Chunk("seq ", numbers(sequence));
    QByteArray frames("fram");
    for (const QByteArray& icon : icons)
        frames += Chunk("icon", icon);
    body += Chunk("LIST", frames);
    return Chunk("RIFF", body);
}

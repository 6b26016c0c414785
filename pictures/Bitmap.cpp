#include "Bitmap.h"

#include "BmpReader.h"
#include "BmpWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <cerrno>

namespace {

// The image with every pixel of colour key made fully transparent.
QImage WithoutColour(const QImage& source, QRgb key) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] | 0xFF000000u) == key)
                row[x] = 0;
    }
    return image;
}

} // namespace

void TBitmap::Draw(QPainter& canvas, const QRect& rect) {
    if (Empty())
        return;
    canvas.save();
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (Transparent() && FTransparentColor.isValid()) {
        canvas.drawImage(rect, WithoutColour(FDib.Image, FTransparentColor.rgb()));
    } else {
        canvas.setCompositionMode(QPainter::CompositionMode_Source);
        canvas.drawImage(rect, FDib.Image.hasAlphaChannel()
                                   ? FDib.Image.convertToFormat(QImage::Format_RGB32)
                                   : FDib.Image);
    }
    canvas.restore();
}

void TBitmap::LoadFromBytes(const QByteArray& data) {
    AssignFromDib(ReadBmp(data));
}

TThumbnailImage TBitmap::ReadThumbnail(QIODevice& file, const QSize& box) {
    return ReadBmpThumbnail(file, box);
}

void TBitmap::SaveToFile(const QString& fileName) const {
    const QByteArray bytes = WriteBmp(FDib);
    QFile file(fileName);
    errno = 0;
    const bool opened = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (opened && file.write(bytes) == bytes.size() && file.flush())
        return;
    const QString reason = SystemErrorText(errno, file);
    if (opened)
        file.remove();
    throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2")
                            .arg(QFileInfo(fileName).absoluteFilePath(), reason));
}

void TBitmap::AssignTo(TBitmap& dest) {
    dest.FTransparentColor = FTransparentColor;
    dest.SetTransparent(Transparent());
    dest.AssignFromDib(FDib);
}

void TBitmap::Assign(TGraphic& source) {
    source.AssignTo(*this);
}

void TBitmap::Assign(TGraphic* source) {
    if (source)
        Assign(*source);
    else
        AssignFromDib(TDib{});
}

void TBitmap::AssignFromDib(const TDib& dib) {
    FDib = dib;
    emit Changed();
}

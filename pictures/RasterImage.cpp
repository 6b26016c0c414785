#include "RasterImage.h"

#include "Bitmap.h"

#include <QPainter>

void TRasterImage::Draw(QPainter& canvas, const QRect& rect) {
    if (!Empty())
        DrawStretched(canvas, rect, FDib.Image);
}

void TRasterImage::LoadFromBytes(const QByteArray& data) {
    FDib = Decode(data);
    emit Changed();
}

void TRasterImage::AssignTo(TBitmap& dest) {
    dest.AssignFromDib(Empty() ? TDib() : OverBackground(FDib.Image, dest.BrushColor()));
}

void TRasterImage::Assign(TGraphic& source) {
    if (source.metaObject() != metaObject()) {
        TGraphic::Assign(source);
        return;
    }
    FDib = static_cast<TRasterImage&>(source).FDib;
    emit Changed();
}

TDib OverBackground(const QImage& image, const QColor& background) {
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(background);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
    painter.end();
    return TDib{opaque, 24};
}

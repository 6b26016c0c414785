#include "DecodedImage.h"

#include "Bitmap.h"

#include <QPainter>

void TDecodedImage::Draw(QPainter& canvas, const QRect& rect) {
    if (!Empty())
        DrawStretched(canvas, rect, FDib.Image);
}

void TDecodedImage::LoadFromBytes(const QByteArray& data) {
    FDib = Decode(data);
    emit Changed();
}

void TDecodedImage::AssignTo(TBitmap& dest) {
    dest.AssignFromDib(Empty() ? TDib() : TDib{OverBackground(FDib.Image, dest.BrushColor()), 24});
}

void TDecodedImage::Assign(TGraphic& source) {
    if (source.metaObject() != metaObject()) {
        TGraphic::Assign(source);
        return;
    }
    FDib = static_cast<TDecodedImage&>(source).FDib;
    emit Changed();
}

#include "RasterImage.h"

#include "Bitmap.h"

#include <QIODevice>
#include <QPainter>

void TRasterImage::Draw(QPainter& canvas, const QRect& rect) {
    if (!Empty())
        DrawStretched(canvas, rect, Bitmap().Image);
}

void TRasterImage::LoadFromBytes(const QByteArray& data) {
    FSize = ReadSize(data);
    FData = data;
    FBitmap.reset();
    emit Changed();
}

TThumbnailImage TRasterImage::ReadThumbnail(QIODevice& file, const QSize& box) {
    LoadFromBytes(file.readAll());
    const QSize fitted = FittedSize(FSize, box);
    const QImage image = Decode(FData, fitted);
    // A library without reduced decoding gives more than the cell needs; the cell keeps no more.
    if (image.width() > fitted.width() || image.height() > fitted.height())
        return {FSize, image.scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)};
    return {FSize, image};
}

void TRasterImage::AssignTo(TBitmap& dest) {
    const TDib& decoded = Bitmap();
    if (!decoded.Image.hasAlphaChannel()) {
        dest.AssignFromDib(decoded);
        return;
    }
    dest.AssignFromDib({OverBackground(decoded.Image, dest.BrushColor()), 24});
}

void TRasterImage::Assign(TGraphic& source) {
    if (source.metaObject() != metaObject()) {
        TGraphic::Assign(source);
        return;
    }
    auto& same = static_cast<TRasterImage&>(source);
    FData = same.FData;
    FSize = same.FSize;
    FBitmap = same.FBitmap;
    emit Changed();
}

const TDib& TRasterImage::Bitmap() {
    if (!FBitmap) {
        const QImage image = Empty() ? QImage() : Decode(FData, QSize());
        FBitmap = TDib{image, image.isNull() ? 0 : image.hasAlphaChannel() ? 32 : 24};
    }
    return *FBitmap;
}

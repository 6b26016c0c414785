#include "Jpeg.h"

#include "Bitmap.h"

void TJPEGImage::Draw(QPainter& canvas, const QRect& rect) {
    TBitmap bitmap;
    AssignTo(bitmap);
    bitmap.Draw(canvas, rect);
}

void TJPEGImage::LoadFromBytes(const QByteArray& data) {
    FSize = ReadJpegSize(data);
    FData = data;
    FBitmap.reset();
    emit Changed();
}

TThumbnailImage TJPEGImage::ReadThumbnail(QIODevice& file, const QSize& box) {
    return DecodeJpegThumbnail(file, box);
}

void TJPEGImage::AssignTo(TBitmap& dest) {
    dest.AssignFromDib(Bitmap());
}

void TJPEGImage::Assign(TGraphic& source) {
    auto* jpeg = qobject_cast<TJPEGImage*>(&source);
    if (!jpeg) {
        TGraphic::Assign(source);
        return;
    }
    FData = jpeg->FData;
    FSize = jpeg->FSize;
    FBitmap = jpeg->FBitmap;
    emit Changed();
}

const TDib& TJPEGImage::Bitmap() {
    if (!FBitmap)
        FBitmap = Empty() ? TDib() : DecodeJpeg(FData, FEightBitDisplay);
    return *FBitmap;
}

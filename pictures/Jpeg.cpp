#include "Jpeg.h"

#include "Bitmap.h"
#include "ExifOrientation.h"

void TJPEGImage::Draw(QPainter& canvas, const QRect& rect) {
    TBitmap bitmap;
    AssignTo(bitmap);
    bitmap.Draw(canvas, rect);
}

void TJPEGImage::LoadFromBytes(const QByteArray& data) {
    const QSize stored = ReadJpegSize(data);
    FOrientation = ReadExifOrientation(data);
    FSize = SwapsSides(FOrientation) ? stored.transposed() : stored;
    FData = data;
    FBitmap.reset();
    emit Changed();
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
    FOrientation = jpeg->FOrientation;
    FBitmap = jpeg->FBitmap;
    emit Changed();
}

const TDib& TJPEGImage::Bitmap() {
    if (!FBitmap) {
        TDib dib = Empty() ? TDib() : DecodeJpeg(FData, FEightBitDisplay);
        // A camera stores the picture as its sensor saw it; the Exif orientation turns it upright.
        dib.Image = TurnedUpright(dib.Image, FOrientation);
        FBitmap = std::move(dib);
    }
    return *FBitmap;
}

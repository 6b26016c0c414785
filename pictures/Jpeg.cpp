#include "Jpeg.h"

#include "Bitmap.h"
#include "ExifOrientation.h"

#include <QIODevice>

namespace {
// How far into a file the Exif block is looked for: the start marker and one full segment.
constexpr qint64 ExifSearchBytes = 2 + 65537;
} // namespace

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

TThumbnailImage TJPEGImage::ReadThumbnail(QIODevice& file, const QSize& box) {
    // The Exif block sits in the segments before the image data, within its first 64 KiB.
    const int orientation = ReadExifOrientation(file.peek(ExifSearchBytes));
    if (orientation == 1)
        return DecodeJpegThumbnail(file, box);
    const bool swaps = SwapsSides(orientation);
    TThumbnailImage stored = DecodeJpegThumbnail(file, swaps ? box.transposed() : box);
    return {swaps ? stored.PictureSize.transposed() : stored.PictureSize,
            TurnedUpright(stored.Image, orientation)};
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

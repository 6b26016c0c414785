#include "Gif.h"

#include "Bitmap.h"

#include <algorithm>

namespace {
// The colour a frame's transparent index stands for in its decoded image: black past the table.
QColor ColourAt(const QImage& image, int index) {
    return index < image.colorCount() ? QColor(image.color(index)) : QColor(Qt::black);
}
} // namespace

QColor TJvGIFFrame::TransparentColor() {
    const int index = FData.TransparentIndex;
    return index < 0 ? QColor() : ColourAt(Bitmap().Image, index);
}

const TDib& TJvGIFFrame::Bitmap() {
    if (!FBitmap)
        FBitmap = DecodeGifFrame(FData);
    return *FBitmap;
}

int TJvGIFImage::Width() const {
    return FFrames.isEmpty() ? 0 : FFrames.first()->Width();
}

int TJvGIFImage::Height() const {
    return FFrames.isEmpty() ? 0 : FFrames.first()->Height();
}

void TJvGIFImage::Draw(QPainter& canvas, const QRect& rect) {
    if (FFrames.isEmpty())
        return;
    TBitmap bitmap;
    AssignTo(bitmap);
    bitmap.SetTransparent(bitmap.Transparent() && Transparent());
    bitmap.Draw(canvas, rect);
}

void TJvGIFImage::LoadFromBytes(const QByteArray& data) {
    TGifFile file = ReadGif(data);
    QList<std::shared_ptr<TJvGIFFrame>> frames;
    for (TGifFrameData& frame : file.Frames)
        frames.append(std::make_shared<TJvGIFFrame>(std::move(frame)));
    if (!frames.isEmpty())
        frames.first()->Bitmap();
    FFrames = std::move(frames);
    FFrameIndex = 0;
    emit Changed();
}

// Only the first frame, a row at a time; while Transparent is on, every colour equal to the
// transparent one is left out, as drawing the frame leaves it out.
TThumbnailImage TJvGIFImage::ReadThumbnail(QIODevice& file, const QSize& box) {
    const TGifFile gif = ReadGif(ReadWholeDevice(file));
    if (gif.Frames.isEmpty())
        return {QSize(0, 0), QImage()};
    const TGifFrameData& frame = gif.Frames.first();
    const QSize size(frame.Width, frame.Height);
    if (size.isEmpty())
        throw EInvalidGraphicOperation(QStringLiteral("GIF image is not valid"));
    QImage image = DecodeGifFrameThumbnail(frame, FittedSize(size, box));
    if (Transparent() && frame.TransparentIndex >= 0) {
        const QRgb key = ColourAt(image, frame.TransparentIndex).rgb();
        QList<QRgb> table = image.colorTable();
        std::replace(table.begin(), table.end(), key, qRgba(0, 0, 0, 0));
        image.setColorTable(table);
    }
    return {size, image};
}

void TJvGIFImage::AssignTo(TBitmap& dest) {
    if (FFrames.isEmpty()) {
        dest.AssignFromDib(TDib());
        return;
    }
    TJvGIFFrame& frame = Frames(FFrameIndex);
    // A frame without pixels would make a bitmap of none, and such a file no wallpaper at all.
    if (frame.Width() == 0 || frame.Height() == 0)
        throw EInvalidGraphicOperation(QStringLiteral("GIF image is not valid"));
    dest.AssignFromDib(frame.Bitmap());
    const bool transparent = frame.TransparentIndex() >= 0;
    if (transparent)
        dest.SetTransparentColor(frame.TransparentColor());
    dest.SetTransparent(transparent);
}

void TJvGIFImage::Assign(TGraphic& source) {
    auto* gif = qobject_cast<TJvGIFImage*>(&source);
    if (!gif) {
        TGraphic::Assign(source);
        return;
    }
    FFrames = gif->FFrames;
    FFrameIndex = gif->FFrameIndex;
    emit Changed();
}

TJvGIFFrame& TJvGIFImage::Frames(int index) {
    LX_ASSERT(index >= 0 && index < FFrames.size());
    return *FFrames[index];
}

void TJvGIFImage::SetFrameIndex(int index) {
    Frames(index);
    FFrameIndex = index;
    emit Changed();
}

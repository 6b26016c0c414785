#pragma once
// TJvGIFImage: a GIF picture of one or more frames; the first is decoded at load, the others
// when first asked for.

#include "Dib.h"
#include "GifReader.h"
#include "Graphics.h"

#include <QColor>
#include <QList>

#include <memory>
#include <optional>

// One frame of a GIF picture with its own size, place, colour table and transparent colour.
class TJvGIFFrame {
public:
    explicit TJvGIFFrame(TGifFrameData data) : FData(std::move(data)) {}

    int Left() const { return FData.Left; }
    int Top() const { return FData.Top; }
    int Width() const { return FData.Width; }
    int Height() const { return FData.Height; }
    bool Interlaced() const { return FData.Interlaced; }
    // Hundredths of a second the frame stays, from its graphic control block.
    int DelayTime() const { return FData.DelayTime; }
    // The transparent colour's index, -1 when the frame has none.
    int TransparentIndex() const { return FData.TransparentIndex; }
    // The colour stored at the transparent index (black past the end of the colour table);
    // invalid when the frame has no transparent colour.
    QColor TransparentColor();
    // The frame decoded at its own size (see DecodeGifFrame), decoding on first use; raises
    // EInvalidGraphicOperation "GIF encoded data is corrupt" for bad data.
    const TDib& Bitmap();

private:
    TGifFrameData FData;
    std::optional<TDib> FBitmap;
};

class TJvGIFImage : public TGraphic {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TJvGIFImage(QObject* parent = nullptr) : TGraphic(parent) {}

    // The first frame's own size (not the logical screen's); 0 without frames.
    int Width() const override;
    int Height() const override;
    bool Empty() const override { return FFrames.isEmpty(); }
    // Draws the current frame as its bitmap (see AssignTo) would be drawn, stretched into rect.
    // Its transparent colour is left out only while Transparent is on; otherwise those pixels
    // show their stored colour.
    void Draw(QPainter& canvas, const QRect& rect) override;
    // Reads every frame and decodes the first; raises the errors of ReadGif and DecodeGifFrame,
    // leaving the image as it was.
    void LoadFromBytes(const QByteArray& data) override;
    // The first frame reduced to the box, decoded a row at a time (see DecodeGifFrameThumbnail).
    TThumbnailImage ReadThumbnail(QIODevice& file, const QSize& box) override;
    // Gives dest the current frame at its own size, depth and colour table, marked transparent
    // with the transparent colour when the frame has one; no frames give an empty bitmap. A
    // frame 0 pixels wide or high raises EInvalidGraphicOperation "GIF image is not valid".
    void AssignTo(TBitmap& dest) override;
    // Shares another TJvGIFImage's frames; other classes raise EConvertError.
    void Assign(TGraphic& source) override;

    int Count() const { return int(FFrames.size()); }
    // The frame at index, 0 <= index < Count(); other indexes fail an assertion.
    TJvGIFFrame& Frames(int index);
    int FrameIndex() const { return FFrameIndex; }
    // Makes the frame at index current (as Frames checks it) and raises Changed.
    void SetFrameIndex(int index);

private:
    QList<std::shared_ptr<TJvGIFFrame>> FFrames;
    int FFrameIndex = 0;
};

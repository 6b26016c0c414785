#pragma once
// TJPEGImage: a JPEG picture that keeps its whole file and decodes it at full size when first
// drawn or converted, turned upright as its Exif orientation says.

#include "Dib.h"
#include "Graphics.h"
#include "JpegDecoder.h"

#include <atomic>
#include <optional>

class TJPEGImage : public TGraphic {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TJPEGImage(QObject* parent = nullptr) : TGraphic(parent) {}

    // The full image size from the header, sides swapped when the Exif orientation turns the
    // picture a quarter; 0 before loading.
    int Width() const override { return FSize.width(); }
    int Height() const override { return FSize.height(); }
    bool Empty() const override { return FSize.isEmpty(); }
    // Decodes the image on first use, then draws it stretched as a bitmap of it is drawn.
    // Raises EJPEG "JPEG error #%d" when the image data is damaged.
    void Draw(QPainter& canvas, const QRect& rect) override;
    // Keeps data and reads only its header; raises EJPEG for an unreadable header, leaving the
    // image as it was.
    void LoadFromBytes(const QByteArray& data) override;
    // Decodes file at a reduced scale for a cell (DecodeJpegThumbnail); the image keeps nothing.
    TThumbnailImage ReadThumbnail(QIODevice& file, const QSize& box) override;
    // Gives dest the decoded full-size image (24 bits, or 8 bits as DecodeJpeg says); raises
    // EJPEG as Draw does, leaving dest unchanged.
    void AssignTo(TBitmap& dest) override;
    // Shares another TJPEGImage's file and decoded image; other classes raise EConvertError.
    void Assign(TGraphic& source) override;

    // The decoded image, upright, decoding on first use (empty before loading); raises as Draw
    // does.
    const TDib& Bitmap();

    // Whether images decode to 8 bits: set once at start-up when the screen has 256 colours
    // or fewer.
    static void SetEightBitDisplay(bool value) { FEightBitDisplay = value; }
    static bool EightBitDisplay() { return FEightBitDisplay; }

private:
    QByteArray FData;
    QSize FSize;
    int FOrientation = 1;
    std::optional<TDib> FBitmap;
    static inline std::atomic<bool> FEightBitDisplay = false; // read by workers
};

#pragma once
// TDecodedImage: the common part of the picture classes whose file is decoded whole at load
// into a 32-bit image that may have alpha (PNG, WebP, TIFF). Each format's class says how its
// bytes decode; drawing, conversion and sharing are the same for all.

#include "Dib.h"
#include "Graphics.h"

class TDecodedImage : public TGraphic {
    Q_OBJECT
public:
    explicit TDecodedImage(QObject* parent = nullptr) : TGraphic(parent) {}

    int Width() const override { return FDib.Image.width(); }
    int Height() const override { return FDib.Image.height(); }
    bool Empty() const override { return FDib.IsEmpty(); }
    // Draws the picture stretched into rect without smoothing, its alpha over what the canvas
    // holds.
    void Draw(QPainter& canvas, const QRect& rect) override;
    // Decodes data whole; the format's errors pass through and the picture keeps its image.
    void LoadFromBytes(const QByteArray& data) override;
    // Gives dest the picture as 24 bits, its alpha composed over dest's brush colour (white for
    // a new bitmap), since a BMP file for the desktop keeps no alpha.
    void AssignTo(TBitmap& dest) override;
    // Shares the image of another picture of the same class; other classes raise EConvertError.
    void Assign(TGraphic& source) override;

    const TDib& Dib() const { return FDib; }

protected:
    // The format's decoding of a whole file; raises the format's error.
    virtual TDib Decode(const QByteArray& data) const = 0;

private:
    TDib FDib;
};

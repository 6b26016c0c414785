#pragma once
// TBitmap: a device-independent bitmap graphic. It holds a shared TDib, so copies between
// bitmaps share pixels until one of them is changed.

#include "Dib.h"
#include "Graphics.h"

#include <QColor>

class TBitmap : public TGraphic {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TBitmap(QObject* parent = nullptr) : TGraphic(parent) {}

    int Width() const override { return FDib.Image.width(); }
    int Height() const override { return FDib.Image.height(); }
    bool Empty() const override { return FDib.IsEmpty(); }
    // Copies the bitmap stretched into rect, dropping or repeating rows and columns (no
    // smoothing). Opaque unless Transparent is on; then TransparentColor pixels are left out.
    void Draw(QPainter& canvas, const QRect& rect) override;
    // Reads a BMP file (see ReadBmp); on failure the bitmap keeps its image.
    void LoadFromBytes(const QByteArray& data) override;
    // Reads only the rows a cell's copy takes (ReadBmpThumbnail); the bitmap keeps nothing.
    TThumbnailImage ReadThumbnail(QIODevice& file, const QSize& box) override;
    // Writes the bitmap as a BMP file at the depth it has. Raises EFCreateError
    // "Cannot create file \"%s\". %s" when the file cannot be written.
    void SaveToFile(const QString& fileName) const;

    // Assigning a bitmap to a bitmap shares its image and copies its transparency settings.
    void AssignTo(TBitmap& dest) override;
    // Takes source into this bitmap by the assignment table: a bitmap is shared, every other
    // class converts itself through its AssignTo (which raises EConvertError for classes that
    // cannot convert, leaving this bitmap unchanged).
    void Assign(TGraphic& source) override;
    // As above; null (a picture without graphic) gives an empty bitmap.
    void Assign(TGraphic* source);
    // Takes the image (shared, no pixel copy) and raises Changed.
    void AssignFromDib(const TDib& dib);

    const TDib& Dib() const { return FDib; }
    int BitsPerPixel() const { return FDib.BitsPerPixel; }

    // Fills areas before drawing frames into a new strip (white for a new bitmap).
    QColor BrushColor() const { return FBrushColor; }
    void SetBrushColor(const QColor& color) { FBrushColor = color; }
    // The colour left out when drawing with Transparent on.
    QColor TransparentColor() const { return FTransparentColor; }
    void SetTransparentColor(const QColor& color) { FTransparentColor = color; }

private:
    TDib FDib;
    QColor FBrushColor = Qt::white;
    QColor FTransparentColor;
};

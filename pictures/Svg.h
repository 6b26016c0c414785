#pragma once
// TSvgImage: an SVG or svgz document. It has no pixels of its own: it keeps the document and
// renders it through librsvg at the size each use asks for.

#include "Graphics.h"

#include <QByteArray>
#include <QSize>

class TSvgImage : public TGraphic {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TSvgImage(QObject* parent = nullptr) : TGraphic(parent) {}

    // The declared size (see ReadSvgSize); 0 before loading.
    int Width() const override { return FSize.width(); }
    int Height() const override { return FSize.height(); }
    bool Empty() const override { return FData.isEmpty(); }
    // Renders the document at rect's size and draws it there, its alpha over the canvas.
    // Raises what RenderSvg raises.
    void Draw(QPainter& canvas, const QRect& rect) override;
    // Parses data and keeps it; raises EInvalidGraphic "SVG image is not valid" (or too large),
    // leaving the picture as it was.
    void LoadFromBytes(const QByteArray& data) override;
    // Renders the document in file at the cell's size: fitted into box, larger or smaller than
    // its declared size. Raises what RenderSvg raises. Leaves this graphic empty.
    TThumbnailImage ReadThumbnail(QIODevice& file, const QSize& box) override;
    // Gives dest the document rendered at its declared size, as 24 bits over dest's brush
    // colour; raises what RenderSvg raises, leaving dest unchanged.
    void AssignTo(TBitmap& dest) override;
    // Shares another TSvgImage's document; other classes raise EConvertError.
    void Assign(TGraphic& source) override;

private:
    QByteArray FData;
    QSize FSize;
};

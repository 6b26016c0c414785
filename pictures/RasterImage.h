#pragma once
// TRasterImage: the shared shape of the pictures a format library decodes (JPEG XL, AVIF, HEIF).
// The class keeps the file and reads only its size at load; it decodes on the first drawing or
// conversion, and a cell's read asks the library for the smallest picture that still fills it
// (a HEIF file's own thumbnail; JPEG XL and AVIF decode whole here, then shrink).

#include "Dib.h"
#include "Graphics.h"

#include <optional>

class TRasterImage : public TGraphic {
    Q_OBJECT
public:
    using TGraphic::TGraphic;

    // The picture's upright size from its header; 0 before loading.
    int Width() const override { return FSize.width(); }
    int Height() const override { return FSize.height(); }
    bool Empty() const override { return FSize.isEmpty(); }
    // Decodes on first use, then draws the picture stretched into rect without smoothing, its
    // alpha composed over what the canvas holds. Raises the format's error for damaged data.
    void Draw(QPainter& canvas, const QRect& rect) override;
    // Keeps data and reads only its header; raises the format's error for an unreadable or too
    // large header, leaving the picture as it was.
    void LoadFromBytes(const QByteArray& data) override;
    // Reads the whole file, decodes it at the library's smallest size that covers the picture
    // fitted into box (see each reader) and shrinks it to exactly that fitted size; raises what
    // LoadFromBytes and the decoder raise.
    TThumbnailImage ReadThumbnail(QIODevice& file, const QSize& box) override;
    // Gives dest the decoded full-size picture at 24 bits; a picture with alpha is first composed
    // over dest's brush colour (white for a new bitmap), as a BMP keeps no alpha. Raises the
    // format's error for damaged data, leaving dest unchanged.
    void AssignTo(TBitmap& dest) override;
    // Shares another picture of the same class; other classes raise EConvertError.
    void Assign(TGraphic& source) override;

    // The decoded full-size picture, decoding on first use (empty before loading).
    const TDib& Bitmap();

protected:
    // The format's header reader: the upright size, or the format's error.
    virtual QSize ReadSize(const QByteArray& data) const = 0;
    // The format's decoder: the upright picture at full size when box is empty, else at least as
    // large as the picture fitted into box; raises the format's error.
    virtual QImage Decode(const QByteArray& data, const QSize& box) const = 0;

private:
    QByteArray FData;
    QSize FSize;
    std::optional<TDib> FBitmap;
};

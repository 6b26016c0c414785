#pragma once
// TTiffImage: the first page of a TIFF file, decoded whole at load through libtiff and turned
// upright by its orientation tag.

#include "RasterImage.h"

class TTiffImage : public TRasterImage {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TTiffImage(QObject* parent = nullptr) : TRasterImage(parent) {}

protected:
    // See DecodeTiff: raises EInvalidGraphic "TIFF image is not valid".
    TDib Decode(const QByteArray& data) const override;
};

#pragma once
// TTiffImage: the first page of a TIFF file, decoded whole at load through libtiff and turned
// upright by its orientation tag.

#include "DecodedImage.h"

class TTiffImage : public TDecodedImage {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TTiffImage(QObject* parent = nullptr) : TDecodedImage(parent) {}

protected:
    // See DecodeTiff: raises EInvalidGraphic "TIFF image is not valid".
    TDib Decode(const QByteArray& data) const override;
};

#pragma once
// TPngImage: a PNG picture, decoded whole at load through libpng.

#include "DecodedImage.h"

class TPngImage : public TDecodedImage {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPngImage(QObject* parent = nullptr) : TDecodedImage(parent) {}

protected:
    // See DecodePng: raises EInvalidGraphic "PNG image is not valid".
    TDib Decode(const QByteArray& data) const override;
};

#pragma once
// THeifImage: a HEIF/HEIC picture, decoded by libheif when first drawn or converted.

#include "RasterImage.h"

class THeifImage : public TRasterImage {
    Q_OBJECT
public:
    Q_INVOKABLE explicit THeifImage(QObject* parent = nullptr) : TRasterImage(parent) {}

protected:
    QSize ReadSize(const QByteArray& data) const override;
    QImage Decode(const QByteArray& data, const QSize& box) const override;
};

#pragma once
// TJxlImage: a JPEG XL picture, decoded by libjxl when first drawn or converted.

#include "RasterImage.h"

class TJxlImage : public TRasterImage {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TJxlImage(QObject* parent = nullptr) : TRasterImage(parent) {}

protected:
    QSize ReadSize(const QByteArray& data) const override;
    QImage Decode(const QByteArray& data, const QSize& box) const override;
};

#pragma once
// TAvifImage: an AVIF picture, decoded by libavif when first drawn or converted.

#include "RasterImage.h"

class TAvifImage : public TRasterImage {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TAvifImage(QObject* parent = nullptr) : TRasterImage(parent) {}

protected:
    QSize ReadSize(const QByteArray& data) const override;
    QImage Decode(const QByteArray& data, const QSize& box) const override;
};

#include "Heif.h"

#include "HeifReader.h"

QSize THeifImage::ReadSize(const QByteArray& data) const {
    return ReadHeifSize(data);
}

QImage THeifImage::Decode(const QByteArray& data, const QSize& box) const {
    return DecodeHeif(data, box);
}

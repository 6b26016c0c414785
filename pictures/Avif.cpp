#include "Avif.h"

#include "AvifReader.h"

QSize TAvifImage::ReadSize(const QByteArray& data) const {
    return ReadAvifSize(data);
}

QImage TAvifImage::Decode(const QByteArray& data, const QSize&) const {
    return DecodeAvif(data);
}

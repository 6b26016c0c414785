#include "Jxl.h"

#include "JxlReader.h"

QSize TJxlImage::ReadSize(const QByteArray& data) const {
    return ReadJxlSize(data);
}

QImage TJxlImage::Decode(const QByteArray& data, const QSize&) const {
    return DecodeJxl(data);
}

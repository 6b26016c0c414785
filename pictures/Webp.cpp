#include "Webp.h"

#include "WebpReader.h"

#include <QIODevice>

TThumbnailImage TWebPImage::ReadThumbnail(QIODevice& file, const QSize& box) {
    const QByteArray data = file.readAll();
    const QSize size = ReadWebpSize(data);
    return {size, DecodeWebp(data, FittedSize(size, box)).Image};
}

TDib TWebPImage::Decode(const QByteArray& data) const {
    return DecodeWebp(data);
}

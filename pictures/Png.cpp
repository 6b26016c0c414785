#include "Png.h"

#include "PngReader.h"

TDib TPngImage::Decode(const QByteArray& data) const {
    return DecodePng(data);
}

#include "Tiff.h"

#include "TiffReader.h"

TDib TTiffImage::Decode(const QByteArray& data) const {
    return DecodeTiff(data);
}

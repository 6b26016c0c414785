#pragma once
// TWebPImage: a WebP picture (an animated one's first frame), decoded whole at load through
// libwebp; thumbnails are scaled down while they decode.

#include "DecodedImage.h"

class TWebPImage : public TDecodedImage {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TWebPImage(QObject* parent = nullptr) : TDecodedImage(parent) {}

    // Decodes file's picture straight at its size fitted into box (see ThumbnailSize); raises
    // what DecodeWebp raises. Leaves this graphic empty.
    TThumbnailImage ReadThumbnail(QIODevice& file, const QSize& box) override;

protected:
    // See DecodeWebp: raises EInvalidGraphic "WebP image is not valid".
    TDib Decode(const QByteArray& data) const override;
};

#include "PictureFormats.h"

#include "Ani.h"
#include "FileFormats.h"
#include "Gif.h"
#include "Jpeg.h"

void RegisterPictureFormats() {
    TFileFormatsList& formats = FileFormats();
    formats.Add(QStringLiteral("jpeg"), QStringLiteral("JPEG Image File"),
                &TJPEGImage::staticMetaObject);
    formats.Add(QStringLiteral("jpg"), QStringLiteral("JPEG Image File"),
                &TJPEGImage::staticMetaObject);
    formats.Add(QStringLiteral("ani"), QStringLiteral("ANI Image"), &TJvAni::staticMetaObject);
    formats.Add(QStringLiteral("gif"), QStringLiteral("CompuServe GIF Image"),
                &TJvGIFImage::staticMetaObject);
}

void UnregisterPictureFormats() {
    TFileFormatsList& formats = FileFormats();
    formats.Remove(&TJvGIFImage::staticMetaObject);
    formats.Remove(&TJvAni::staticMetaObject);
    formats.Remove(&TJPEGImage::staticMetaObject);
}

#include "PictureFormats.h"

#include "Ani.h"
#include "Avif.h"
#include "FileFormats.h"
#include "Gif.h"
#include "Heif.h"
#include "Jpeg.h"
#include "Jxl.h"

void RegisterPictureFormats() {
    TFileFormatsList& formats = FileFormats();
    formats.Add(QStringLiteral("jpeg"), QStringLiteral("JPEG Image File"),
                &TJPEGImage::staticMetaObject);
    formats.Add(QStringLiteral("jpg"), QStringLiteral("JPEG Image File"),
                &TJPEGImage::staticMetaObject);
    formats.Add(QStringLiteral("ani"), QStringLiteral("ANI Image"), &TJvAni::staticMetaObject);
    formats.Add(QStringLiteral("gif"), QStringLiteral("CompuServe GIF Image"),
                &TJvGIFImage::staticMetaObject);
    // The library-decoded formats, after PNG, WebP, TIFF and SVG.
    formats.Add(QStringLiteral("jxl"), QStringLiteral("JPEG XL Image File"),
                &TJxlImage::staticMetaObject);
    formats.Add(QStringLiteral("avif"), QStringLiteral("AVIF Image File"),
                &TAvifImage::staticMetaObject);
    formats.Add(QStringLiteral("heic"), QStringLiteral("HEIF Image File"),
                &THeifImage::staticMetaObject);
    formats.Add(QStringLiteral("heif"), QStringLiteral("HEIF Image File"),
                &THeifImage::staticMetaObject);
}

void UnregisterPictureFormats() {
    TFileFormatsList& formats = FileFormats();
    formats.Remove(&THeifImage::staticMetaObject);
    formats.Remove(&TAvifImage::staticMetaObject);
    formats.Remove(&TJxlImage::staticMetaObject);
    formats.Remove(&TJvGIFImage::staticMetaObject);
    formats.Remove(&TJvAni::staticMetaObject);
    formats.Remove(&TJPEGImage::staticMetaObject);
}

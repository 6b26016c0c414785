#include "PictureFormats.h"

#include "Ani.h"
#include "Avif.h"
#include "FileFormats.h"
#include "Gif.h"
#include "Heif.h"
#include "Jpeg.h"
#include "Jxl.h"
#include "Png.h"
#include "Svg.h"
#include "Tiff.h"
#include "Webp.h"

void RegisterPictureFormats() {
    TFileFormatsList& formats = FileFormats();
    formats.Add(QStringLiteral("jpeg"), QStringLiteral("JPEG Image File"),
                &TJPEGImage::staticMetaObject);
    formats.Add(QStringLiteral("jpg"), QStringLiteral("JPEG Image File"),
                &TJPEGImage::staticMetaObject);
    formats.Add(QStringLiteral("ani"), QStringLiteral("ANI Image"), &TJvAni::staticMetaObject);
    formats.Add(QStringLiteral("gif"), QStringLiteral("CompuServe GIF Image"),
                &TJvGIFImage::staticMetaObject);
    formats.Add(QStringLiteral("png"), QStringLiteral("PNG Image File"),
                &TPngImage::staticMetaObject);
    formats.Add(QStringLiteral("webp"), QStringLiteral("WebP Image File"),
                &TWebPImage::staticMetaObject);
    formats.Add(QStringLiteral("tif"), QStringLiteral("TIFF Image File"),
                &TTiffImage::staticMetaObject);
    formats.Add(QStringLiteral("tiff"), QStringLiteral("TIFF Image File"),
                &TTiffImage::staticMetaObject);
    formats.Add(QStringLiteral("svg"), QStringLiteral("SVG Image File"),
                &TSvgImage::staticMetaObject);
    formats.Add(QStringLiteral("svgz"), QStringLiteral("SVG Image File"),
                &TSvgImage::staticMetaObject);
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
    formats.Remove(&TSvgImage::staticMetaObject);
    formats.Remove(&TTiffImage::staticMetaObject);
    formats.Remove(&TWebPImage::staticMetaObject);
    formats.Remove(&TPngImage::staticMetaObject);
    formats.Remove(&TJvGIFImage::staticMetaObject);
    formats.Remove(&TJvAni::staticMetaObject);
    formats.Remove(&TJPEGImage::staticMetaObject);
}

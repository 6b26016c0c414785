#pragma once
// Reading the picture file for the desktops that are drawn by us (the X root window) or whose
// drawing program must be given a picture it can load (swaybg).

#include <QImage>
#include <QString>

// Decodes the whole file with Qt's image readers, up to MaxPicturePixels pixels (Qt's own
// allocation limit of 128 MB would refuse a photo of 34 megapixels). True with the picture;
// false, with the reason naming the file ("cannot read the picture FILE: ..."), when the file
// is missing, of a format Qt does not read, damaged or too large.
bool ReadWallpaperPicture(const QString& fileName, QImage& picture, QString& error);

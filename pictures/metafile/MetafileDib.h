#pragma once
// Decodes the device-independent bitmaps inside metafile records with the BMP reader.

#include "MetafileBytes.h"

#include <QImage>

struct TMetafileDib {
    QImage Image;
    bool BottomUp = false; // the stored rows run from the bottom, so source y counts from there
};

// Decodes a DIB given as its info header with colour table, and its pixel bits. Gives a null
// image for a damaged header, or for bits too short for an uncompressed picture.
TMetafileDib DecodeMetafileDib(const TMetafileBytes& info, const TMetafileBytes& bits);
// The same for a DIB stored as header, colour table and bits in one block.
TMetafileDib DecodeMetafileDib(const TMetafileBytes& packed);

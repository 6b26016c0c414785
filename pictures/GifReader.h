#pragma once
// GIF files: the structure (screen, frames, colour tables, compressed data) and frame decoding.

#include "Dib.h"

#include <QByteArray>
#include <QList>
#include <QRgb>

// One image of a GIF file as stored, not yet decoded.
struct TGifFrameData {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Interlaced = false;
    QList<QRgb> ColourTable;   // the frame's own table, else the file's global one, else empty
    int TransparentIndex = -1; // from the graphic control block before the image; -1 for none
    int DelayTime = 0;         // hundredths of a second, from the same block
    int CodeSize = 0;          // the LZW minimum code size, 2..9
    QByteArray Data;           // the LZW data sub-blocks joined
};

struct TGifFile {
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    QList<TGifFrameData> Frames;
};

// Reads the header and every block of the GIF file in data without decoding pixels. Raises
// EInvalidGraphicOperation "Unknown GIF version" (no "GIF87a"/"GIF89a" header), "Unrecognized
// extension block: %.2x" (a label other than F9, 01, FF, FE), "GIF code size not in range 2 to 9",
// "GIF image is not valid" (an unknown block or a frame above MaxPicturePixels) and EReadError
// "Stream read error" when the data ends inside a block. A file that ends where the next block
// would start is accepted without its trailer.
TGifFile ReadGif(const QByteArray& data);

// Decodes a frame at its own size into an indexed image: 1, 4 or 8 bits per pixel by the size
// of its colour table (a grey ramp when it has none), the table padded with black to a power of
// two, interlaced rows put in place. Pixels the data does not reach are index 0. Raises
// EInvalidGraphicOperation "GIF encoded data is corrupt" for bad codes.
TDib DecodeGifFrame(const TGifFrameData& frame);

// The frame reduced to target's size, picking pixels as a stretched drawing without smoothing
// does, decoded a row at a time: it costs one row and the target however large the frame claims
// to be, and stops where the data ends (rows never reached are index 0). Indexed, with the colour
// table DecodeGifFrame gives; raises its errors.
QImage DecodeGifFrameThumbnail(const TGifFrameData& frame, const QSize& target);

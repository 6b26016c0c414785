#pragma once
// The least a thumbnail of a JPEG file can cost: reading the file and decoding it with libjpeg
// alone, into memory allocated for that one picture and freed right after, as a viewer that
// keeps no cache must do for every picture it shows.

#include <QSize>
#include <QString>

#include <cstdlib>
#include <memory>

enum class TFloorMemory {
    Plain,         // malloc: the kernel backs the picture with small pages
    HugePageAdvice // 2 MB aligned and advised for huge pages, as the picture decoder allocates
};

struct TFreePixels {
    void operator()(uchar* pixels) const { std::free(pixels); }
};

// A decoded picture: its 32-bit pixels, freed with it.
struct TFloorPicture {
    QSize Size;
    std::unique_ptr<uchar, TFreePixels> Pixels;
};

// Reads fileName and decodes it at 1 / scaleDenom of its size (1 or 8) into 32-bit pixels in
// newly allocated memory of the given kind. Stops the process on any error.
TFloorPicture DecodeFloor(const QString& fileName, int scaleDenom, TFloorMemory memory);

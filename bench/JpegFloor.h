#pragma once
// The least a thumbnail of a JPEG file can cost: reading the file and decoding it with libjpeg
// alone, into memory allocated for that one picture and freed right after, as a viewer that
// keeps no cache must do for every picture it shows.

#include <QSize>
#include <QString>

enum class TFloorMemory {
    Plain,         // malloc: the kernel backs the picture with small pages
    HugePageAdvice // 2 MB aligned and advised for huge pages, as the picture decoder allocates
};

// Reads fileName and decodes it at 1 / scaleDenom of its size (1 or 8) into 32-bit pixels in
// memory of the given kind. Gives back the decoded size; stops the process on any error.
QSize DecodeFloor(const QString& fileName, int scaleDenom, TFloorMemory memory);

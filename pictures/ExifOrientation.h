#pragma once
// The orientation a camera records in a JPEG file's Exif block, and the turn that puts the
// decoded picture upright.

#include <QByteArray>
#include <QImage>

// The orientation (1 to 8) of IFD0 in the first Exif APP1 segment before the image data, or 1
// when the file has none, an unreadable one, or a value outside 1 to 8. Never raises; reads
// only within data and each segment's own length.
int ReadExifOrientation(const QByteArray& jpeg);

// Whether the orientation turns the picture a quarter, so that width and height swap.
inline bool SwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// The stored image shown upright for orientation: 2 mirrors it, 3 turns it half round, 4 flips
// it, 5 transposes it, 6 turns it a quarter clockwise, 7 transverses it, 8 turns it a quarter
// anticlockwise; 1 and anything else leave it as it is.
QImage TurnedUpright(const QImage& stored, int orientation);

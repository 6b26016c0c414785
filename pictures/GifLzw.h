#pragma once
// The variable-length LZW code of GIF image data.

#include <QtGlobal>

// Expands the LZW codes in data (the image's sub-blocks joined, codes read least significant
// bit first) with the given minimum code size (2..9) into at most pixelCount colour indexes at
// out; literals at or above colourCount are stored as 0. Stops at the end code, when out is
// full or when the data runs out, leaving pixels never reached as they were. Raises
// EInvalidGraphicOperation "GIF encoded data is corrupt" for a code the table does not hold yet.
void DecodeGifLzw(const uchar* data, qsizetype size, int codeSize, int colourCount, uchar* out,
                  qsizetype pixelCount);

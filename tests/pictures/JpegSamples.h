#pragma once
// Makes JPEG files for tests and benchmarks with libjpeg's own compressor.

#include <QByteArray>
#include <QImage>

enum class TJpegSampleKind { Colour, Grayscale, Progressive, Cmyk };

// Compresses image (any format; converted to RGB, or taken as C, M, Y, K bytes from the red,
// green, blue and alpha of ARGB32 for Cmyk) at the given quality.
QByteArray MakeJpeg(const QImage& image, TJpegSampleKind kind = TJpegSampleKind::Colour,
                    int quality = 95);

// The offset of the first marker 0xFF code in jpeg after the start marker, or -1.
qsizetype FindJpegMarker(const QByteArray& jpeg, uchar code);

// The same file with a component of its frame header pointed at quantisation table 3, which the
// file never defines: the header still reads, the image data cannot be decoded.
QByteArray WithUndefinedQuantTable(QByteArray jpeg);
// The same file with the image size in its frame header replaced.
QByteArray WithSize(QByteArray jpeg, int width, int height);

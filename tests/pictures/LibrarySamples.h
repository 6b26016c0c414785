#pragma once
// Makes JPEG XL, AVIF and HEIF files for tests and benchmarks with each format's own Debian
// encoder (cjxl, avifenc, heif-enc), and reads them back with its own decoder.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

// A picture of four solid quarters: red, green over blue, white.
QImage QuarterColours(int width, int height);
// The colours at the centres of the four quarters of area in image (all of it when area is
// null), top left first.
QList<QRgb> ColoursOfQuarters(const QImage& image, const QRect& area = QRect());

enum class TLibraryFormat { Jxl, Avif, Heif };

// The file extension the format's rows and tools use ("jxl", "avif", "heic").
QString LibraryExtension(TLibraryFormat format);

// Encodes the frames (one picture, or an animation where the format has them) with the
// format's encoder, lossless or at its default quality, with extra arguments placed before the
// file names. Gives an empty array when the tool fails, with its command and output in error.
QByteArray MakeLibrarySample(TLibraryFormat format, const QList<QImage>& frames,
                             bool lossless = true, const QStringList& extra = {},
                             QString* error = nullptr);

// The picture as the format's own decoder (djxl, avifdec, heif-convert) reads it; a null image
// when it refuses the file.
QImage DecodeWithLibraryTool(TLibraryFormat format, const QByteArray& file);

// The command line that decodes input into output with the format's own decoder.
QStringList LibraryDecoderCommand(TLibraryFormat format, const QString& input,
                                  const QString& output);

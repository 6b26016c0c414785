#pragma once
// Samples for the library-backed readers, written by each format's own Debian tools (netpbm,
// cwebp, img2webp, rsvg-convert, gzip) at run time, and the tools' decodings to compare with.

#include <QByteArray>
#include <QImage>
#include <QStringList>

#include <string>

class TGraphic;

// Runs program with args, feeding input on its standard input, and gives back its standard
// output; a tool that fails or does not finish fails the calling test (empty result).
QByteArray RunFormatTool(const QString& program, const QStringList& args,
                         const QByteArray& input = QByteArray());

// image as a netpbm PAM file (RGB_ALPHA when it has alpha, else RGB).
QByteArray Pam(const QImage& image);
// A binary PPM (P6) as netpbm's decoders write it, as an RGB32 image; null when malformed.
QImage FromPpm(const QByteArray& ppm);

// 32 x 32 red with the right half at alpha 128 and the bottom row fully transparent.
QImage HalfTransparentPicture();

// "Class: message" of what loading bytes into graphic raised, or "no error".
std::string LoadError(TGraphic& graphic, const QByteArray& bytes);

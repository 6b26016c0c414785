#pragma once
// Folders of real picture files and a shown viewer set up as the main window sets it up, for the
// viewer tests.

#include "JvImagesViewer.h"

#include <QColor>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// How long a test waits for a condition before it fails.
inline constexpr int Deadline = 5000;

// Registers every picture format once for the whole test run (the program does it at start).
void RegisterFormatsOnce();

// The bytes of a 24-bit BMP file of the given size filled with colour.
QByteArray BmpBytes(QSize size, QColor colour = Qt::red);
// A BMP file of the given size filled with colour, written into dir; gives back its full name.
QString WriteBmp(const QTemporaryDir& dir, const QString& name, QSize size,
                 QColor colour = Qt::red);
// A JPEG file of the given size filled with colour.
QString WriteJpeg(const QTemporaryDir& dir, const QString& name, QSize size,
                  QColor colour = Qt::blue);
// A JPEG file whose header is sound and whose image data cannot be decoded.
QString WriteDamagedJpeg(const QTemporaryDir& dir, const QString& name, QSize size);
// A small JPEG file whose header claims the given size.
QString WriteJpegClaiming(const QTemporaryDir& dir, const QString& name, QSize size);
// Any bytes under the name.
QString WriteBytes(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes);

// A viewer with the options the main window gives it (cells of 108 with padding 4, memory
// reduction on), its font the program's 11-pixel Arial, shown at the given outer size.
std::unique_ptr<TJvImagesViewer> ShownViewer(QSize size = QSize(433, 470));
// The viewer's client area as painted now.
QImage Grab(TJvImagesViewer& viewer);
// True when, painted now, every cell in view has its picture or its failure.
bool AllInViewArrived(TJvImagesViewer& viewer);
// The client area painted once every cell in view has its picture or failure; raises when that
// does not come within the deadline.
QImage GrabWhenRead(TJvImagesViewer& viewer);

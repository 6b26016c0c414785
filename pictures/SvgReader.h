#pragma once
// SVG and gzip-compressed SVG (svgz) documents through librsvg, rendered with cairo at any size.

#include <QByteArray>
#include <QImage>
#include <QSize>

// The width given to a document that declares no size of its own; its height follows the
// view box's shape (square without one).
inline constexpr int SvgDefaultWidth = 1920;

// Parses the document in data (plain or gzip-compressed) and gives back its declared size in
// pixels at 96 dpi, rounded up, or SvgDefaultWidth wide when it declares none (or only in
// percentages). Raises EInvalidGraphic "SVG image is not valid" for anything librsvg refuses
// and "SVG image is too large (%d x %d pixels)" when that size exceeds MaxPicturePixels or
// what cairo can draw on.
QSize ReadSvgSize(const QByteArray& data);

// Renders the document fitted into an image of size (its shape kept, centred, transparent
// around it): a premultiplied ARGB32 image. Raises the errors of ReadSvgSize, the size limit
// applying to size.
QImage RenderSvg(const QByteArray& data, const QSize& size);

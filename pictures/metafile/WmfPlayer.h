#pragma once
// Plays the records of a placeable Windows metafile onto a canvas.

#include "WmfReader.h"

#include <QByteArray>
#include <QRectF>

class QPainter;

// Plays data (a placeable metafile whose headers ReadWmfHeader read) with its bounding box
// scaled into target. Unknown records are skipped; a record shorter than 3 words or past the end
// of the data ends the playback. Never raises.
void PlayWindowsMetafile(QPainter& painter, const QByteArray& data, const TWmfHeader& header,
                         const QRectF& target);

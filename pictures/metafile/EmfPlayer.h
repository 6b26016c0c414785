#pragma once
// Plays the records of an enhanced metafile onto a canvas.

#include "EmfReader.h"

#include <QByteArray>
#include <QRectF>

class QPainter;

// Plays data (an enhanced metafile whose header ReadEmfHeader read) with its frame scaled into
// target. Unknown records are skipped; a record whose size is below 8 bytes, not a multiple of
// 4 or past the end of the data ends the playback. Never raises.
void PlayEnhancedMetafile(QPainter& painter, const QByteArray& data, const TEmfHeader& header,
                          const QRectF& target);

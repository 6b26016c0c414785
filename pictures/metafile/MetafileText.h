#pragma once
// Draws one text record of a metafile: font from its logical description, alignment to the
// reference point, character advances, escapement and opaque background.

#include "MetafileObjects.h"

#include <QPointF>

class QPainter;

// Text alignment flags of a metafile.
inline constexpr quint32 TA_UPDATECP = 1;
inline constexpr quint32 TA_RIGHT = 2;
inline constexpr quint32 TA_CENTER = 6;
inline constexpr quint32 TA_BOTTOM = 8;
inline constexpr quint32 TA_BASELINE = 24;

struct TTextRun {
    QPointF Origin; // the reference point, target pixels
    QString Text;
    QVector<qreal> Advances; // target pixels to each next character; empty = the font's own
    TLogFont Font;
    qreal Scale = 1;     // target pixels per logical unit of the font's height
    qreal MaxPixels = 1; // the font is never made taller than this (target pixels)
    quint32 Align = 0;
    QColor Color;
    bool Opaque = false; // fill the text's box with Background first
    QColor Background;
};

// Draws run with painter, whose transform must map target pixels (the clip may be set).
// Gives back the width of the text in target pixels.
qreal DrawMetafileText(QPainter& painter, const TTextRun& run);

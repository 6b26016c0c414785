#pragma once
// The drawing surface both record players draw on: the device context a metafile expects
// (mapping, selected objects, colours and modes, current position, path, clipping, saved
// states), carried out through a QPainter with the metafile's device area scaled into a target.

#include "MetafileMapping.h"
#include "MetafileObjects.h"

#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>

#include <vector>

class QPainter;

// Everything SaveDC keeps.
struct TDcState {
    TMetafileMapping Mapping;
    QPen Pen = MakeMetafilePen(0, 0, Qt::black);
    QBrush Brush = QBrush(Qt::white);
    TLogFont Font;
    QColor TextColor = Qt::black;
    QColor BkColor = Qt::white;
    bool BkOpaque = true;
    quint32 TextAlign = 0;
    Qt::FillRule FillRule = Qt::OddEvenFill;
    bool Clockwise = false;
    QPointF Position; // logical
    bool Clipped = false;
    QPainterPath Clip; // device coordinates, when Clipped
};

enum class TArcKind { Arc, ArcTo, Chord, Pie };
enum class TClipMode { And = 1, Or = 2, Xor = 3, Diff = 4, Copy = 5 };

// Text options of ExtTextOut.
inline constexpr quint32 ETO_OPAQUE = 2;
inline constexpr quint32 ETO_CLIPPED = 4;

class TMetafileCanvas {
public:
    // Draws on painter so that deviceArea (device coordinates) fills target; the device has
    // pixelsPerMm pixels per millimetre and an object table of objectCount entries. The
    // painter's state is restored when the canvas goes.
    TMetafileCanvas(QPainter& painter, const QRectF& deviceArea, const QRectF& target,
                    const QSizeF& pixelsPerMm, int objectCount);
    ~TMetafileCanvas();
    TMetafileCanvas(const TMetafileCanvas&) = delete;
    TMetafileCanvas& operator=(const TMetafileCanvas&) = delete;

    TDcState& State() { return FState; }
    TObjectTable& Objects() { return FObjects; }
    // Makes a pen, brush or font the current one; other objects are ignored.
    void Select(const TMetafileObject& object);
    // Logical to device coordinates as the state stands.
    QTransform LogicalToDevice() const;

    // Lines and curves in logical coordinates. The ...To forms start at the current position
    // and move it to their end; inside a path bracket every figure goes into the path.
    void MoveTo(const QPointF& point);
    void PolylineTo(const QPolygonF& points);
    void PolyBezierTo(const QPolygonF& points); // 3 points a segment
    void Polyline(const QPolygonF& points);
    void PolyBezier(const QPolygonF& points); // a start point and 3 points a segment
    // A closed figure, filled with the brush and outlined with the pen.
    void Closed(const QPainterPath& figure);
    void Arc(const QRectF& box, const QPointF& start, const QPointF& end, TArcKind kind);

    void BeginPath();
    void EndPath() { FInPath = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath() { PaintPath(true, false); }
    void StrokePath() { PaintPath(false, true); }
    void StrokeAndFillPath() { PaintPath(true, true); }
    void SelectClipPath(TClipMode mode);

    // Combines the clip with a rectangle in logical coordinates (intersect or exclude).
    void CombineClipRect(const QRectF& logical, TClipMode mode);
    // Combines the clip with a region in device coordinates.
    void CombineClip(const QPainterPath& device, TClipMode mode);
    void ClearClip();
    void OffsetClip(const QPointF& logicalOffset);

    void SaveDC();
    // A negative level counts back from the newest saved state, a positive one names it.
    void RestoreDC(int level);

    // Draws text at reference (logical) or at the current position when the text alignment
    // says so; advances are logical distances to each next character (may be empty).
    void Text(const QPointF& reference, const QString& text, const QVector<qreal>& advances,
              quint32 options, const QRectF& rect);
    // Copies source of image into dest (logical) with the raster operation rop, blended with
    // the given opacity.
    void Image(const QImage& image, const QRectF& dest, const QRectF& source, quint32 rop,
               qreal opacity = 1);
    // Fills a region (logical coordinates) with brush, outside any path bracket.
    void FillRegion(const QPainterPath& region, const QBrush& brush);
    // Fills dest (logical) as a blit without a source bitmap does (pattern, black, white).
    void FillBlit(const QRectF& dest, quint32 rop);

private:
    bool Prepare(const QTransform& logicalToTarget);
    void Emit(const QPainterPath& figure, bool closed, bool continuing);
    void Paint(const QPainterPath& figure, bool fill, bool stroke);
    void PaintPath(bool fill, bool stroke);
    QPainterPath Everything() const;

    QPainter& FPainter;
    QTransform FDeviceToTarget;
    QRectF FTarget;
    QRectF FDeviceArea;
    QSizeF FPixelsPerMm;
    TDcState FState;
    std::vector<TDcState> FSaved;
    TObjectTable FObjects;
    bool FInPath = false;
    bool FFigureOpen = false;
    QPainterPath FPath; // device coordinates
    bool FClipDirty = true;
};

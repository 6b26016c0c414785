#include "MetafilePlayer.h"

#include "MetafileText.h"

#include <QPaintEngine>
#include <QPainter>

#include <cmath>

namespace {

constexpr size_t MaxSavedStates = 1024;
constexpr int MaxClipElements = 4096;   // a clip more complex than this is not combined further
constexpr qreal EverythingMargin = 1e6; // device units around the picture that count as "all"

enum : quint32 {
    SRCCOPY = 0x00CC0020,
    SRCPAINT = 0x00EE0086,
    SRCAND = 0x008800C6,
    SRCINVERT = 0x00660046,
    NOTSRCCOPY = 0x00330008,
    PATCOPY = 0x00F00021,
    BLACKNESS = 0x00000042,
    WHITENESS = 0x00FF0062,
    DSTINVERT = 0x00550009,
};

bool Finite(const QTransform& t) {
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy()) && t.isAffine();
}

// The angle of point on the ellipse in box, as QPainterPath's arcs measure it.
qreal EllipseAngle(const QRectF& box, const QPointF& point) {
    const QPointF center = box.center();
    return QLineF(0, 0, (point.x() - center.x()) / box.width() * 2,
                  (point.y() - center.y()) / box.height() * 2)
        .angle();
}

} // namespace

TMetafileCanvas::TMetafileCanvas(QPainter& painter, const QRectF& deviceArea, const QRectF& target,
                                 const QSizeF& pixelsPerMm, int objectCount)
    : FPainter(painter), FTarget(target), FDeviceArea(deviceArea), FPixelsPerMm(pixelsPerMm),
      FObjects(objectCount) {
    FPainter.save();
    // A picture without area maps to nothing, so that Prepare refuses every drawing.
    const bool hasArea = deviceArea.width() != 0 && deviceArea.height() != 0;
    FDeviceToTarget = QTransform::fromTranslate(-deviceArea.x(), -deviceArea.y()) *
                      QTransform::fromScale(hasArea ? target.width() / deviceArea.width() : 0,
                                            hasArea ? target.height() / deviceArea.height() : 0) *
                      QTransform::fromTranslate(target.x(), target.y()) * FPainter.worldTransform();
    // Nothing lands outside the target; the metafile's own clip is applied within that, on a
    // second saved state that Prepare goes back to whenever the clip changes.
    FPainter.setClipRect(target, Qt::IntersectClip);
    FPainter.save();
}

TMetafileCanvas::~TMetafileCanvas() {
    FPainter.restore();
    FPainter.restore();
}

void TMetafileCanvas::Select(const TMetafileObject& object) {
    switch (object.Kind) {
    case TMetafileObject::Pen:
        FState.Pen = object.PenValue;
        break;
    case TMetafileObject::Brush:
        FState.Brush = object.BrushValue;
        break;
    case TMetafileObject::Font:
        FState.Font = object.FontValue;
        break;
    default:
        break;
    }
}

QTransform TMetafileCanvas::LogicalToDevice() const {
    return FState.Mapping.ToDevice(FPixelsPerMm);
}

bool TMetafileCanvas::Prepare(const QTransform& logicalToTarget) {
    if (!Finite(logicalToTarget) || !logicalToTarget.isInvertible())
        return false;
    if (FClipDirty) {
        FPainter.restore();
        FPainter.save();
        if (FState.Clipped) {
            FPainter.setTransform(FDeviceToTarget);
            FPainter.setClipPath(FState.Clip, Qt::IntersectClip);
        }
        FClipDirty = false;
    }
    FPainter.setTransform(logicalToTarget);
    FPainter.setBackgroundMode(FState.BkOpaque ? Qt::OpaqueMode : Qt::TransparentMode);
    FPainter.setBackground(FState.BkColor);
    FPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    FPainter.setOpacity(1);
    return true;
}

void TMetafileCanvas::Paint(const QPainterPath& figure, bool fill, bool stroke) {
    if (!Prepare(LogicalToDevice() * FDeviceToTarget))
        return;
    QPainterPath path = figure;
    path.setFillRule(FState.FillRule);
    if (fill && FState.Brush.style() != Qt::NoBrush)
        FPainter.fillPath(path, FState.Brush);
    if (stroke && FState.Pen.style() != Qt::NoPen)
        FPainter.strokePath(path, FState.Pen);
}

void TMetafileCanvas::Emit(const QPainterPath& figure, bool closed, bool continuing) {
    if (!FInPath) {
        Paint(figure, closed, true);
        return;
    }
    const QTransform toDevice = LogicalToDevice();
    if (!Finite(toDevice))
        return;
    const QPainterPath device = toDevice.map(figure);
    if (continuing && FFigureOpen)
        FPath.connectPath(device);
    else
        FPath.addPath(device);
    FFigureOpen = continuing && !closed;
}

void TMetafileCanvas::MoveTo(const QPointF& point) {
    FState.Position = point;
    FFigureOpen = false;
}

void TMetafileCanvas::PolylineTo(const QPolygonF& points) {
    if (points.isEmpty())
        return;
    QPainterPath figure(FState.Position);
    for (const QPointF& point : points)
        figure.lineTo(point);
    FState.Position = points.last();
    Emit(figure, false, true);
}

void TMetafileCanvas::PolyBezierTo(const QPolygonF& points) {
    const qsizetype count = points.size() - points.size() % 3;
    if (count == 0)
        return;
    QPainterPath figure(FState.Position);
    for (qsizetype i = 0; i < count; i += 3)
        figure.cubicTo(points[i], points[i + 1], points[i + 2]);
    FState.Position = points[count - 1];
    Emit(figure, false, true);
}

void TMetafileCanvas::Polyline(const QPolygonF& points) {
    if (points.size() < 2)
        return;
    QPainterPath figure;
    figure.addPolygon(points);
    Emit(figure, false, false);
}

void TMetafileCanvas::PolyBezier(const QPolygonF& points) {
    if (points.size() < 4)
        return;
    QPainterPath figure(points.first());
    for (qsizetype i = 1; i + 2 < points.size(); i += 3)
        figure.cubicTo(points[i], points[i + 1], points[i + 2]);
    Emit(figure, false, false);
}

void TMetafileCanvas::Closed(const QPainterPath& figure) {
    Emit(figure, true, false);
}

void TMetafileCanvas::Arc(const QRectF& box, const QPointF& start, const QPointF& end,
                          TArcKind kind) {
    const QRectF ellipse = box.normalized();
    if (ellipse.width() <= 0 || ellipse.height() <= 0)
        return;
    const qreal startAngle = EllipseAngle(ellipse, start);
    qreal sweep = EllipseAngle(ellipse, end) - startAngle;
    if (FState.Clockwise)
        sweep = sweep >= 0 ? sweep - 360 : sweep;
    else
        sweep = sweep <= 0 ? sweep + 360 : sweep;
    QPainterPath figure;
    if (kind == TArcKind::Pie)
        figure.moveTo(ellipse.center());
    else if (kind == TArcKind::ArcTo)
        figure.moveTo(FState.Position);
    else
        figure.arcMoveTo(ellipse, startAngle);
    figure.arcTo(ellipse, startAngle, sweep);
    if (kind == TArcKind::ArcTo) {
        FState.Position = figure.currentPosition();
        Emit(figure, false, true);
        return;
    }
    if (kind == TArcKind::Arc) {
        Emit(figure, false, false);
        return;
    }
    figure.closeSubpath();
    Emit(figure, true, false);
}

void TMetafileCanvas::BeginPath() {
    FInPath = true;
    FFigureOpen = false;
    FPath = QPainterPath();
}

void TMetafileCanvas::AbortPath() {
    FInPath = false;
    FPath = QPainterPath();
}

void TMetafileCanvas::CloseFigure() {
    if (FInPath) {
        FPath.closeSubpath();
        FFigureOpen = false;
    }
}

void TMetafileCanvas::PaintPath(bool fill, bool stroke) {
    // The path was kept in device coordinates; it is drawn back through the current mapping so
    // that the pen's width and the brush follow the mapping as well.
    const QTransform toDevice = LogicalToDevice();
    FInPath = false;
    const QPainterPath path = FPath;
    FPath = QPainterPath();
    if (!Finite(toDevice) || !toDevice.isInvertible())
        return;
    Paint(toDevice.inverted().map(path), fill, stroke);
}

void TMetafileCanvas::SelectClipPath(TClipMode mode) {
    FInPath = false;
    QPainterPath path = FPath;
    FPath = QPainterPath();
    path.setFillRule(FState.FillRule);
    CombineClip(path, mode);
}

QPainterPath TMetafileCanvas::Everything() const {
    QPainterPath all;
    all.addRect(FDeviceArea.normalized().adjusted(-EverythingMargin, -EverythingMargin,
                                                  EverythingMargin, EverythingMargin));
    return all;
}

void TMetafileCanvas::CombineClip(const QPainterPath& device, TClipMode mode) {
    if (mode == TClipMode::Copy) {
        FState.Clip = device;
        FState.Clipped = true;
        FClipDirty = true;
        return;
    }
    if (mode == TClipMode::Or && !FState.Clipped)
        return;
    const QPainterPath current = FState.Clipped ? FState.Clip : Everything();
    if (current.elementCount() + device.elementCount() > MaxClipElements)
        return;
    switch (mode) {
    case TClipMode::And:
        FState.Clip = current.intersected(device);
        break;
    case TClipMode::Or:
        FState.Clip = current.united(device);
        break;
    case TClipMode::Xor:
        FState.Clip = current.united(device).subtracted(current.intersected(device));
        break;
    case TClipMode::Diff:
        FState.Clip = current.subtracted(device);
        break;
    default:
        return;
    }
    FState.Clipped = true;
    FClipDirty = true;
}

void TMetafileCanvas::CombineClipRect(const QRectF& logical, TClipMode mode) {
    QPainterPath rect;
    rect.addRect(logical.normalized());
    const QTransform toDevice = LogicalToDevice();
    if (Finite(toDevice))
        CombineClip(toDevice.map(rect), mode);
}

void TMetafileCanvas::ClearClip() {
    FState.Clipped = false;
    FState.Clip = QPainterPath();
    FClipDirty = true;
}

void TMetafileCanvas::OffsetClip(const QPointF& logicalOffset) {
    const QTransform toDevice = LogicalToDevice();
    if (!FState.Clipped || !Finite(toDevice))
        return;
    const QPointF offset = toDevice.map(logicalOffset) - toDevice.map(QPointF(0, 0));
    if (!std::isfinite(offset.x()) || !std::isfinite(offset.y()))
        return;
    FState.Clip.translate(offset);
    FClipDirty = true;
}

void TMetafileCanvas::SaveDC() {
    if (FSaved.size() < MaxSavedStates)
        FSaved.push_back(FState);
}

void TMetafileCanvas::RestoreDC(int level) {
    const qint64 count = qint64(FSaved.size());
    const qint64 keep = level < 0 ? count + level : qint64(level) - 1;
    if (keep < 0 || keep >= count)
        return;
    FState = FSaved[size_t(keep)];
    FSaved.resize(size_t(keep));
    FClipDirty = true;
}

void TMetafileCanvas::Text(const QPointF& reference, const QString& text,
                           const QVector<qreal>& advances, quint32 options, const QRectF& rect) {
    const QTransform toTarget = LogicalToDevice() * FDeviceToTarget;
    if (!Prepare(toTarget))
        return;
    const bool updatePosition = (FState.TextAlign & TA_UPDATECP) != 0;
    const QPointF origin = updatePosition ? FState.Position : reference;
    if (options & ETO_OPAQUE)
        FPainter.fillRect(rect.normalized(), FState.BkColor);
    FPainter.save();
    if (options & ETO_CLIPPED)
        FPainter.setClipRect(rect.normalized(), Qt::IntersectClip);
    const qreal scaleX = std::hypot(toTarget.m11(), toTarget.m12());
    TTextRun run;
    run.Origin = toTarget.map(origin);
    run.Text = text;
    for (qreal advance : advances)
        run.Advances.append(advance * scaleX);
    run.Font = FState.Font;
    run.Scale = std::hypot(toTarget.m21(), toTarget.m22());
    // Glyphs far taller than the whole picture cost much memory and show nothing more.
    run.MaxPixels = 2 * qMax(FTarget.width(), FTarget.height());
    run.Align = FState.TextAlign;
    run.Color = FState.TextColor;
    run.Opaque = FState.BkOpaque;
    run.Background = FState.BkColor;
    FPainter.resetTransform();
    const qreal width = DrawMetafileText(FPainter, run);
    FPainter.restore();
    if (updatePosition && scaleX > 0) {
        const quint32 horizontal = FState.TextAlign & TA_CENTER;
        const qreal step = width / scaleX;
        FState.Position.rx() += horizontal == TA_CENTER ? 0 : horizontal == TA_RIGHT ? -step : step;
    }
}

void TMetafileCanvas::FillRegion(const QPainterPath& region, const QBrush& brush) {
    if (Prepare(LogicalToDevice() * FDeviceToTarget))
        FPainter.fillPath(region, brush);
}

void TMetafileCanvas::Image(const QImage& image, const QRectF& dest, const QRectF& source,
                            quint32 rop, qreal opacity) {
    if (image.isNull() || dest.width() == 0 || dest.height() == 0)
        return;
    // A negative extent mirrors the picture along that axis.
    const QTransform local(dest.width() < 0 ? -1 : 1, 0, 0, dest.height() < 0 ? -1 : 1, dest.x(),
                           dest.y());
    if (!Prepare(local * LogicalToDevice() * FDeviceToTarget))
        return;
    const bool rasterOps =
        FPainter.paintEngine() && FPainter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    FPainter.setOpacity(opacity);
    QImage picture = image;
    if (rop == NOTSRCCOPY)
        picture.invertPixels();
    else if (rasterOps && rop == SRCPAINT)
        FPainter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    else if (rasterOps && rop == SRCAND)
        FPainter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    else if (rasterOps && rop == SRCINVERT)
        FPainter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    FPainter.drawImage(QRectF(0, 0, std::abs(dest.width()), std::abs(dest.height())), picture,
                       source);
}

void TMetafileCanvas::FillBlit(const QRectF& dest, quint32 rop) {
    if (!Prepare(LogicalToDevice() * FDeviceToTarget))
        return;
    const QRectF area = dest.normalized();
    if (rop == PATCOPY)
        FPainter.fillRect(area, FState.Brush);
    else if (rop == BLACKNESS)
        FPainter.fillRect(area, Qt::black);
    else if (rop == WHITENESS)
        FPainter.fillRect(area, Qt::white);
    else if (rop == DSTINVERT && FPainter.paintEngine() &&
             FPainter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
        FPainter.setCompositionMode(QPainter::RasterOp_NotDestination);
        FPainter.fillRect(area, Qt::black);
    }
}

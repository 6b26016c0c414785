#include "EmfPlayer.h"

#include "MetafileBytes.h"
#include "MetafileDib.h"
#include "MetafilePlayer.h"
#include "MetafileText.h"

#include <QRegion>

#include <cmath>

namespace {

enum : quint32 {
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_OFFSETCLIPRGN = 26,
    EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_SETARCDIRECTION = 57,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77,
    EMR_SETDIBITSTODEVICE = 80,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_CREATEDIBPATTERNBRUSHPT = 94,
    EMR_EXTCREATEPEN = 95,
    EMR_FILLRGN = 71,
    EMR_PAINTRGN = 74,
    EMR_SMALLTEXTOUT = 108,
    EMR_ALPHABLEND = 114,
};

constexpr quint32 StockFlag = 0x80000000;
constexpr quint32 PS_GEOMETRIC = 0x10000;
constexpr quint32 ETO_PDY = 0x2000;
constexpr quint32 ETO_NO_RECT = 0x100;
constexpr quint32 ETO_SMALL_CHARS = 0x200;
constexpr quint32 SRCCOPY = 0x00CC0020;
constexpr quint32 BS_NULL = 1;
constexpr qint32 MaxRegionCoordinate = 1 << 28;

class TEmfPlayer {
public:
    TEmfPlayer(QPainter& painter, const TEmfHeader& header, const QRectF& target)
        : FCanvas(painter, header.DeviceFrame(), target, header.PixelsPerMm(),
                  int(header.Handles)) {}

    // Plays one record; false ends the playback.
    bool Play(quint32 type, const TMetafileBytes& record);

private:
    void Poly(quint32 type, const TMetafileBytes& record);
    void PolyPoly(quint32 type, const TMetafileBytes& record);
    void Shape(quint32 type, const TMetafileBytes& record);
    void Mapping(quint32 type, const TMetafileBytes& record);
    void Objects(quint32 type, const TMetafileBytes& record);
    void Clipping(quint32 type, const TMetafileBytes& record);
    void Transform(quint32 type, const TMetafileBytes& record);
    void Text(quint32 type, const TMetafileBytes& record);
    void SmallText(const TMetafileBytes& record);
    void FillRegion(quint32 type, const TMetafileBytes& record);
    void Blit(quint32 type, const TMetafileBytes& record);
    void Font(const TMetafileBytes& record);

    TMetafileCanvas FCanvas;
};

QPointF PointL(const TMetafileBytes& record, qsizetype offset) {
    return QPointF(record.I32(offset), record.I32(offset + 4));
}

QRectF RectL(const TMetafileBytes& record, qsizetype offset) {
    return QRectF(PointL(record, offset), PointL(record, offset + 8));
}

// count points at offset, 16-bit (POINTS) or 32-bit (POINTL); empty when they do not fit.
QPolygonF Points(const TMetafileBytes& record, qsizetype offset, qint64 count, bool small) {
    const qint64 size = small ? 4 : 8;
    QPolygonF points;
    if (!record.Has(offset, count * size))
        return points;
    points.reserve(qsizetype(count));
    for (qint64 i = 0; i < count; ++i) {
        const qsizetype at = offset + qsizetype(i * size);
        points.append(small ? QPointF(record.I16(at), record.I16(at + 2)) : PointL(record, at));
    }
    return points;
}

QTransform XForm(const TMetafileBytes& record, qsizetype offset) {
    return QTransform(record.F32(offset), record.F32(offset + 4), record.F32(offset + 8),
                      record.F32(offset + 12), record.F32(offset + 16), record.F32(offset + 20));
}

// A region rectangle (right and bottom excluded) within a range QRect can hold.
QRect ClampedRect(qint32 left, qint32 top, qint32 right, qint32 bottom) {
    const auto clamp = [](qint32 value) {
        return qBound(-MaxRegionCoordinate, value, MaxRegionCoordinate);
    };
    return QRect(QPoint(clamp(left), clamp(top)), QPoint(clamp(right) - 1, clamp(bottom) - 1));
}

// The rectangles of a RGNDATA block as one region.
QPainterPath Region(const TMetafileBytes& data) {
    const qint64 count = data.U32(8);
    QRegion region;
    if (data.Has(32, count * 16)) {
        for (qint64 i = 0; i < count; ++i) {
            const qsizetype at = 32 + qsizetype(i * 16);
            region +=
                ClampedRect(data.I32(at), data.I32(at + 4), data.I32(at + 8), data.I32(at + 12));
        }
    }
    QPainterPath path;
    path.addRegion(region);
    return path;
}

bool TEmfPlayer::Play(quint32 type, const TMetafileBytes& record) {
    switch (type) {
    case EMR_EOF:
        return false;
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16:
        Poly(type, record);
        break;
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16:
        PolyPoly(type, record);
        break;
    case EMR_SETWINDOWEXTEX:
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX:
    case EMR_SETMAPMODE:
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX:
        Mapping(type, record);
        break;
    case EMR_SETWORLDTRANSFORM:
    case EMR_MODIFYWORLDTRANSFORM:
        Transform(type, record);
        break;
    case EMR_SETBKMODE:
        FCanvas.State().BkOpaque = record.U32(8) == 2;
        break;
    case EMR_SETPOLYFILLMODE:
        FCanvas.State().FillRule = record.U32(8) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
        break;
    case EMR_SETTEXTALIGN:
        FCanvas.State().TextAlign = record.U32(8);
        break;
    case EMR_SETTEXTCOLOR:
        FCanvas.State().TextColor = MetafileColor(record.U32(8));
        break;
    case EMR_SETBKCOLOR:
        FCanvas.State().BkColor = MetafileColor(record.U32(8));
        break;
    case EMR_SETARCDIRECTION:
        FCanvas.State().Clockwise = record.U32(8) == 2;
        break;
    case EMR_MOVETOEX:
        FCanvas.MoveTo(PointL(record, 8));
        break;
    case EMR_LINETO:
        FCanvas.PolylineTo(QPolygonF{PointL(record, 8)});
        break;
    case EMR_RECTANGLE:
    case EMR_ELLIPSE:
    case EMR_ROUNDRECT:
    case EMR_ARC:
    case EMR_ARCTO:
    case EMR_CHORD:
    case EMR_PIE:
        Shape(type, record);
        break;
    case EMR_SAVEDC:
        FCanvas.SaveDC();
        break;
    case EMR_RESTOREDC:
        FCanvas.RestoreDC(record.I32(8));
        break;
    case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT:
    case EMR_CREATEPEN:
    case EMR_EXTCREATEPEN:
    case EMR_CREATEBRUSHINDIRECT:
    case EMR_CREATEDIBPATTERNBRUSHPT:
        Objects(type, record);
        break;
    case EMR_EXTCREATEFONTINDIRECTW:
        Font(record);
        break;
    case EMR_BEGINPATH:
        FCanvas.BeginPath();
        break;
    case EMR_ENDPATH:
        FCanvas.EndPath();
        break;
    case EMR_ABORTPATH:
        FCanvas.AbortPath();
        break;
    case EMR_CLOSEFIGURE:
        FCanvas.CloseFigure();
        break;
    case EMR_FILLPATH:
        FCanvas.FillPath();
        break;
    case EMR_STROKEPATH:
        FCanvas.StrokePath();
        break;
    case EMR_STROKEANDFILLPATH:
        FCanvas.StrokeAndFillPath();
        break;
    case EMR_SELECTCLIPPATH:
    case EMR_EXTSELECTCLIPRGN:
    case EMR_INTERSECTCLIPRECT:
    case EMR_EXCLUDECLIPRECT:
    case EMR_OFFSETCLIPRGN:
        Clipping(type, record);
        break;
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW:
        Text(type, record);
        break;
    case EMR_SMALLTEXTOUT:
        SmallText(record);
        break;
    case EMR_FILLRGN:
    case EMR_PAINTRGN:
        FillRegion(type, record);
        break;
    case EMR_BITBLT:
    case EMR_STRETCHBLT:
    case EMR_ALPHABLEND:
    case EMR_SETDIBITSTODEVICE:
    case EMR_STRETCHDIBITS:
        Blit(type, record);
        break;
    default:
        break;
    }
    return true;
}

void TEmfPlayer::Poly(quint32 type, const TMetafileBytes& record) {
    const bool small = type >= EMR_POLYBEZIER16;
    const QPolygonF points = Points(record, 28, record.U32(24), small);
    switch (small ? type - EMR_POLYBEZIER16 + EMR_POLYBEZIER : type) {
    case EMR_POLYBEZIER:
        FCanvas.PolyBezier(points);
        break;
    case EMR_POLYLINE:
        FCanvas.Polyline(points);
        break;
    case EMR_POLYBEZIERTO:
        FCanvas.PolyBezierTo(points);
        break;
    case EMR_POLYLINETO:
        FCanvas.PolylineTo(points);
        break;
    default: {
        if (points.size() < 2)
            return;
        QPainterPath figure;
        figure.addPolygon(points);
        figure.closeSubpath();
        FCanvas.Closed(figure);
    }
    }
}

void TEmfPlayer::PolyPoly(quint32 type, const TMetafileBytes& record) {
    const bool small = type >= EMR_POLYPOLYLINE16;
    const bool closed = type == EMR_POLYPOLYGON || type == EMR_POLYPOLYGON16;
    const qint64 polygons = record.U32(24);
    const qint64 total = record.U32(28);
    if (!record.Has(32, polygons * 4))
        return;
    const QPolygonF points = Points(record, 32 + qsizetype(polygons * 4), total, small);
    if (points.isEmpty())
        return;
    QPainterPath figure;
    qsizetype first = 0;
    for (qint64 i = 0; i < polygons; ++i) {
        const qint64 count = record.U32(32 + qsizetype(i * 4));
        if (count > points.size() - first)
            return;
        if (closed) {
            figure.addPolygon(points.mid(first, qsizetype(count)));
            figure.closeSubpath();
        } else {
            FCanvas.Polyline(points.mid(first, qsizetype(count)));
        }
        first += qsizetype(count);
    }
    if (closed)
        FCanvas.Closed(figure);
}

void TEmfPlayer::Shape(quint32 type, const TMetafileBytes& record) {
    const QRectF box = RectL(record, 8).normalized();
    QPainterPath figure;
    switch (type) {
    case EMR_RECTANGLE:
        figure.addRect(box);
        break;
    case EMR_ELLIPSE:
        figure.addEllipse(box);
        break;
    case EMR_ROUNDRECT:
        figure.addRoundedRect(box, qMin<qreal>(record.I32(24) / 2.0, box.width() / 2),
                              qMin<qreal>(record.I32(28) / 2.0, box.height() / 2));
        break;
    default: {
        static const TArcKind kinds[] = {TArcKind::Arc, TArcKind::Chord, TArcKind::Pie};
        const TArcKind kind = type == EMR_ARCTO ? TArcKind::ArcTo : kinds[type - EMR_ARC];
        FCanvas.Arc(box, PointL(record, 24), PointL(record, 32), kind);
        return;
    }
    }
    FCanvas.Closed(figure);
}

void TEmfPlayer::Mapping(quint32 type, const TMetafileBytes& record) {
    TMetafileMapping& mapping = FCanvas.State().Mapping;
    const QSizeF size(record.I32(8), record.I32(12));
    switch (type) {
    case EMR_SETMAPMODE:
        mapping.SetMapMode(int(record.U32(8)));
        break;
    case EMR_SETWINDOWEXTEX:
        mapping.SetWindowExt(size);
        break;
    case EMR_SETVIEWPORTEXTEX:
        mapping.SetViewportExt(size);
        break;
    case EMR_SETWINDOWORGEX:
        mapping.WindowOrg = PointL(record, 8);
        break;
    case EMR_SETVIEWPORTORGEX:
        mapping.ViewportOrg = PointL(record, 8);
        break;
    default: {
        const qint32 xDenominator = record.I32(12);
        const qint32 yDenominator = record.I32(20);
        if (xDenominator == 0 || yDenominator == 0)
            return;
        const bool viewport = type == EMR_SCALEVIEWPORTEXTEX;
        const QSizeF extent = viewport ? mapping.ViewportExt : mapping.WindowExt;
        const QSizeF scaled(extent.width() * record.I32(8) / xDenominator,
                            extent.height() * record.I32(16) / yDenominator);
        viewport ? mapping.SetViewportExt(scaled) : mapping.SetWindowExt(scaled);
    }
    }
}

void TEmfPlayer::Transform(quint32 type, const TMetafileBytes& record) {
    const QTransform xform = XForm(record, 8);
    QTransform& world = FCanvas.State().Mapping.World;
    const quint32 mode = type == EMR_SETWORLDTRANSFORM ? 4 : record.U32(32);
    if (mode == 1) {
        world.reset();
        return;
    }
    // A transform that cannot be inverted is refused, as the recording device refused it.
    if (!xform.isInvertible())
        return;
    if (mode == 2)
        world = xform * world;
    else if (mode == 3)
        world = world * xform;
    else if (mode == 4)
        world = xform;
}

void TEmfPlayer::Objects(quint32 type, const TMetafileBytes& record) {
    const quint32 index = record.U32(8);
    TMetafileObject object;
    switch (type) {
    case EMR_SELECTOBJECT:
        if (index & StockFlag)
            FCanvas.Select(StockObject(index & ~StockFlag));
        else if (const TMetafileObject* selected = FCanvas.Objects().Get(index))
            FCanvas.Select(*selected);
        return;
    case EMR_DELETEOBJECT:
        FCanvas.Objects().Remove(index);
        return;
    case EMR_CREATEPEN:
        object.Kind = TMetafileObject::Pen;
        object.PenValue =
            MakeMetafilePen(record.U32(12), record.I32(16), MetafileColor(record.U32(24)));
        break;
    case EMR_EXTCREATEPEN: {
        const quint32 style = record.U32(28);
        const qint64 dashCount = qMin<qint64>(record.U32(48), 16);
        QVector<qreal> dashes;
        for (qint64 i = 0; i < dashCount && record.Has(52 + i * 4, 4); ++i)
            dashes.append(record.U32(52 + qsizetype(i) * 4));
        const qreal width = style & PS_GEOMETRIC ? record.U32(32) : 0;
        object.Kind = TMetafileObject::Pen;
        object.PenValue =
            record.U32(36) == BS_NULL
                ? QPen(Qt::NoPen)
                : MakeMetafilePen(style, width, MetafileColor(record.U32(40)), dashes);
        break;
    }
    case EMR_CREATEBRUSHINDIRECT:
        object.Kind = TMetafileObject::Brush;
        object.BrushValue =
            MakeMetafileBrush(record.U32(12), MetafileColor(record.U32(16)), record.U32(20));
        break;
    default: {
        const TMetafileDib dib = DecodeMetafileDib(record.Mid(record.U32(16), record.U32(20)),
                                                   record.Mid(record.U32(24), record.U32(28)));
        object.Kind = TMetafileObject::Brush;
        object.BrushValue = dib.Image.isNull() ? QBrush(Qt::gray) : QBrush(dib.Image);
    }
    }
    FCanvas.Objects().Put(index, object);
}

void TEmfPlayer::Font(const TMetafileBytes& record) {
    if (!record.Has(12, 92))
        return;
    TMetafileObject object;
    object.Kind = TMetafileObject::Font;
    TLogFont& font = object.FontValue;
    font.Height = record.I32(12);
    font.Width = record.I32(16);
    font.Escapement = record.I32(20);
    font.Weight = record.I32(28);
    font.Italic = record.U8(32) != 0;
    font.Underline = record.U8(33) != 0;
    font.StrikeOut = record.U8(34) != 0;
    font.Face = record.Utf16(40, 32);
    font.Face.truncate(font.Face.indexOf(QChar(0)) < 0 ? 32 : font.Face.indexOf(QChar(0)));
    FCanvas.Objects().Put(record.U32(8), object);
}

void TEmfPlayer::Clipping(quint32 type, const TMetafileBytes& record) {
    switch (type) {
    case EMR_INTERSECTCLIPRECT:
        FCanvas.CombineClipRect(RectL(record, 8), TClipMode::And);
        break;
    case EMR_EXCLUDECLIPRECT:
        FCanvas.CombineClipRect(RectL(record, 8), TClipMode::Diff);
        break;
    case EMR_OFFSETCLIPRGN:
        FCanvas.OffsetClip(PointL(record, 8));
        break;
    case EMR_SELECTCLIPPATH:
        FCanvas.SelectClipPath(TClipMode(qBound(1u, record.U32(8), 5u)));
        break;
    default: {
        const TMetafileBytes data = record.Mid(16, record.U32(8));
        const auto mode = TClipMode(record.U32(12));
        if (mode == TClipMode::Copy && data.Size() == 0)
            FCanvas.ClearClip();
        else if (mode >= TClipMode::And && mode <= TClipMode::Copy && data.Size() >= 32)
            FCanvas.CombineClip(Region(data), mode);
    }
    }
}

void TEmfPlayer::Text(quint32 type, const TMetafileBytes& record) {
    const qint64 count = record.U32(44);
    const qsizetype stringOffset = record.U32(48);
    const quint32 options = record.U32(52);
    const bool wide = type == EMR_EXTTEXTOUTW;
    if (count == 0 || !record.Has(0, 76) || !record.Has(stringOffset, count * (wide ? 2 : 1)))
        return;
    const QString text =
        wide ? record.Utf16(stringOffset, count) : record.Latin1(stringOffset, count);
    QVector<qreal> advances;
    const qint64 step = options & ETO_PDY ? 8 : 4;
    const qsizetype dxOffset = record.U32(72);
    if (dxOffset != 0 && record.Has(dxOffset, count * step)) {
        for (qint64 i = 0; i < count; ++i)
            advances.append(record.I32(dxOffset + qsizetype(i * step)));
    }
    FCanvas.Text(PointL(record, 36), text, advances, options, RectL(record, 56));
}

void TEmfPlayer::SmallText(const TMetafileBytes& record) {
    const qint64 count = record.U32(16);
    const quint32 options = record.U32(20);
    const bool hasRect = !(options & ETO_NO_RECT);
    const qsizetype textOffset = hasRect ? 52 : 36;
    const bool narrow = options & ETO_SMALL_CHARS;
    if (count == 0 || !record.Has(textOffset, count * (narrow ? 1 : 2)))
        return;
    const QString text =
        narrow ? record.Latin1(textOffset, count) : record.Utf16(textOffset, count);
    FCanvas.Text(PointL(record, 8), text, {}, hasRect ? options : 0,
                 hasRect ? RectL(record, 36) : QRectF());
}

void TEmfPlayer::FillRegion(quint32 type, const TMetafileBytes& record) {
    // Fill-region names its brush; paint-region uses the selected one.
    const bool named = type == EMR_FILLRGN;
    const TMetafileBytes data = record.Mid(named ? 32 : 28, record.U32(24));
    if (data.Size() < 32)
        return;
    QBrush brush = FCanvas.State().Brush;
    if (named) {
        const quint32 index = record.U32(28);
        const TMetafileObject stock = StockObject(index & ~StockFlag);
        const TMetafileObject* object = index & StockFlag ? &stock : FCanvas.Objects().Get(index);
        if (!object || object->Kind != TMetafileObject::Brush)
            return;
        brush = object->BrushValue;
    }
    FCanvas.FillRegion(Region(data), brush);
}

void TEmfPlayer::Blit(quint32 type, const TMetafileBytes& record) {
    const QPointF dest = PointL(record, 24);
    if (type == EMR_BITBLT || type == EMR_STRETCHBLT || type == EMR_ALPHABLEND) {
        const QSizeF destSize(record.I32(32), record.I32(36));
        // Alpha blending keeps its constant opacity where the others keep their raster operation.
        const bool blend = type == EMR_ALPHABLEND;
        const quint32 rop = blend ? SRCCOPY : record.U32(40);
        if (record.U32(88) == 0) {
            FCanvas.FillBlit(QRectF(dest, destSize), rop);
            return;
        }
        const TMetafileDib dib = DecodeMetafileDib(record.Mid(record.U32(84), record.U32(88)),
                                                   record.Mid(record.U32(92), record.U32(96)));
        const QSizeF sourceSize =
            type != EMR_BITBLT ? QSizeF(record.I32(100), record.I32(104))
                               : QSizeF(std::abs(destSize.width()), std::abs(destSize.height()));
        FCanvas.Image(dib.Image, QRectF(dest, destSize), QRectF(PointL(record, 44), sourceSize),
                      rop, blend ? record.U8(42) / 255.0 : 1.0);
        return;
    }
    const bool stretch = type == EMR_STRETCHDIBITS;
    if (record.U32(64) != 0)
        return; // colours given as palette indices: no palette to resolve them against
    const TMetafileDib dib = DecodeMetafileDib(record.Mid(record.U32(48), record.U32(52)),
                                               record.Mid(record.U32(56), record.U32(60)));
    const QSizeF sourceSize(record.I32(40), record.I32(44));
    qreal sourceY = record.I32(36);
    if (dib.BottomUp)
        sourceY = dib.Image.height() - sourceY - sourceSize.height();
    const QRectF source(QPointF(record.I32(32), sourceY), sourceSize);
    const QSizeF destSize = stretch ? QSizeF(record.I32(72), record.I32(76)) : sourceSize;
    FCanvas.Image(dib.Image, QRectF(dest, destSize), source, stretch ? record.U32(68) : SRCCOPY);
}

} // namespace

void PlayEnhancedMetafile(QPainter& painter, const QByteArray& data, const TEmfHeader& header,
                          const QRectF& target) {
    const TMetafileBytes bytes(data.constData(), data.size());
    TEmfPlayer player(painter, header, target);
    qsizetype offset = header.HeaderSize;
    while (bytes.Has(offset, 8)) {
        const quint32 type = bytes.U32(offset);
        const qsizetype size = bytes.U32(offset + 4);
        if (size < 8 || size % 4 != 0 || !bytes.Has(offset, size))
            return;
        if (!player.Play(type, bytes.Mid(offset, size)))
            return;
        offset += size;
    }
}

#include "WmfPlayer.h"

#include "MetafileBytes.h"
#include "MetafileDib.h"
#include "MetafilePlayer.h"

#include <cmath>

namespace {

enum : quint16 {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETPOLYFILLMODE = 0x0106,
    META_RESTOREDC = 0x0127,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D,
    META_SETVIEWPORTEXT = 0x020E,
    META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_CREATEPALETTE = 0x00F7,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410,
    META_SCALEVIEWPORTEXT = 0x0412,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C,
    META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_DIBSTRETCHBLT = 0x0B41,
    META_STRETCHDIB = 0x0F43,
};

constexpr qsizetype P = 6; // parameters start after the size and the function

class TWmfPlayer {
public:
    TWmfPlayer(QPainter& painter, const TWmfHeader& header, const QRectF& target)
        : FCanvas(painter, header.Box(), target,
                  QSizeF(header.UnitsPerInch / 25.4, header.UnitsPerInch / 25.4), header.Objects) {
        // Logical units are the bounding box's until the metafile sets a window of its own.
        TMetafileMapping& mapping = FCanvas.State().Mapping;
        mapping.MapMode = MM_ANISOTROPIC;
        mapping.WindowOrg = mapping.ViewportOrg = header.Box().topLeft();
        mapping.SetWindowExt(header.Box().size());
        mapping.SetViewportExt(header.Box().size());
    }

    // Plays one record; false ends the playback.
    bool Play(quint16 function, const TMetafileBytes& record);

private:
    void Mapping(quint16 function, const TMetafileBytes& record);
    void Shape(quint16 function, const TMetafileBytes& record);
    void Objects(quint16 function, const TMetafileBytes& record);
    void Font(const TMetafileBytes& record);
    void Text(quint16 function, const TMetafileBytes& record);
    void Blit(quint16 function, const TMetafileBytes& record);

    TMetafileCanvas FCanvas;
};

// A point stored as y, x (the usual reversed order of the parameters).
QPointF PointYX(const TMetafileBytes& record, qsizetype offset) {
    return QPointF(record.I16(offset + 2), record.I16(offset));
}

// A rectangle stored as bottom, right, top, left.
QRectF RectBRTL(const TMetafileBytes& record, qsizetype offset) {
    return QRectF(PointYX(record, offset + 4), PointYX(record, offset)).normalized();
}

QPolygonF Points(const TMetafileBytes& record, qsizetype offset, qint64 count) {
    QPolygonF points;
    if (!record.Has(offset, count * 4))
        return points;
    for (qint64 i = 0; i < count; ++i)
        points.append(QPointF(record.I16(offset + qsizetype(i * 4)),
                              record.I16(offset + qsizetype(i * 4) + 2)));
    return points;
}

bool TWmfPlayer::Play(quint16 function, const TMetafileBytes& record) {
    TDcState& state = FCanvas.State();
    switch (function) {
    case META_EOF:
        return false;
    case META_SAVEDC:
        FCanvas.SaveDC();
        break;
    case META_RESTOREDC:
        FCanvas.RestoreDC(record.I16(P));
        break;
    case META_SETBKMODE:
        state.BkOpaque = record.U16(P) == 2;
        break;
    case META_SETPOLYFILLMODE:
        state.FillRule = record.U16(P) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
        break;
    case META_SETTEXTALIGN:
        state.TextAlign = record.U16(P);
        break;
    case META_SETBKCOLOR:
        state.BkColor = MetafileColor(record.U32(P));
        break;
    case META_SETTEXTCOLOR:
        state.TextColor = MetafileColor(record.U32(P));
        break;
    case META_SETMAPMODE:
    case META_SETWINDOWORG:
    case META_SETWINDOWEXT:
    case META_SETVIEWPORTORG:
    case META_SETVIEWPORTEXT:
    case META_OFFSETWINDOWORG:
    case META_OFFSETVIEWPORTORG:
    case META_SCALEWINDOWEXT:
    case META_SCALEVIEWPORTEXT:
        Mapping(function, record);
        break;
    case META_MOVETO:
        FCanvas.MoveTo(PointYX(record, P));
        break;
    case META_LINETO:
        FCanvas.PolylineTo(QPolygonF{PointYX(record, P)});
        break;
    case META_POLYLINE:
        FCanvas.Polyline(Points(record, P + 2, record.U16(P)));
        break;
    case META_POLYGON:
    case META_POLYPOLYGON:
    case META_RECTANGLE:
    case META_ELLIPSE:
    case META_ROUNDRECT:
    case META_ARC:
    case META_PIE:
    case META_CHORD:
        Shape(function, record);
        break;
    case META_EXCLUDECLIPRECT:
        FCanvas.CombineClipRect(RectBRTL(record, P), TClipMode::Diff);
        break;
    case META_INTERSECTCLIPRECT:
        FCanvas.CombineClipRect(RectBRTL(record, P), TClipMode::And);
        break;
    case META_OFFSETCLIPRGN:
        FCanvas.OffsetClip(PointYX(record, P));
        break;
    case META_SELECTOBJECT:
    case META_DELETEOBJECT:
    case META_CREATEPENINDIRECT:
    case META_CREATEBRUSHINDIRECT:
    case META_DIBCREATEPATTERNBRUSH:
    case META_CREATEPATTERNBRUSH:
    case META_CREATEPALETTE:
    case META_CREATEREGION:
        Objects(function, record);
        break;
    case META_CREATEFONTINDIRECT:
        Font(record);
        break;
    case META_TEXTOUT:
    case META_EXTTEXTOUT:
        Text(function, record);
        break;
    case META_DIBBITBLT:
    case META_DIBSTRETCHBLT:
    case META_STRETCHDIB:
        Blit(function, record);
        break;
    default:
        break;
    }
    return true;
}

void TWmfPlayer::Mapping(quint16 function, const TMetafileBytes& record) {
    TMetafileMapping& mapping = FCanvas.State().Mapping;
    const QPointF point = PointYX(record, P);
    switch (function) {
    case META_SETMAPMODE:
        mapping.SetMapMode(record.U16(P));
        break;
    case META_SETWINDOWORG:
        mapping.WindowOrg = point;
        break;
    case META_SETVIEWPORTORG:
        mapping.ViewportOrg = point;
        break;
    case META_SETWINDOWEXT:
        mapping.SetWindowExt(QSizeF(point.x(), point.y()));
        break;
    case META_SETVIEWPORTEXT:
        mapping.SetViewportExt(QSizeF(point.x(), point.y()));
        break;
    case META_OFFSETWINDOWORG:
        mapping.WindowOrg += point;
        break;
    case META_OFFSETVIEWPORTORG:
        mapping.ViewportOrg += point;
        break;
    default: {
        // Stored as y denominator, y numerator, x denominator, x numerator.
        const qint16 yDenominator = record.I16(P);
        const qint16 xDenominator = record.I16(P + 4);
        if (xDenominator == 0 || yDenominator == 0)
            return;
        const bool viewport = function == META_SCALEVIEWPORTEXT;
        const QSizeF extent = viewport ? mapping.ViewportExt : mapping.WindowExt;
        const QSizeF scaled(extent.width() * record.I16(P + 6) / xDenominator,
                            extent.height() * record.I16(P + 2) / yDenominator);
        viewport ? mapping.SetViewportExt(scaled) : mapping.SetWindowExt(scaled);
    }
    }
}

void TWmfPlayer::Shape(quint16 function, const TMetafileBytes& record) {
    QPainterPath figure;
    switch (function) {
    case META_POLYGON: {
        const QPolygonF points = Points(record, P + 2, record.U16(P));
        if (points.size() < 2)
            return;
        figure.addPolygon(points);
        figure.closeSubpath();
        break;
    }
    case META_POLYPOLYGON: {
        const qint64 polygons = record.U16(P);
        qsizetype offset = P + 2 + qsizetype(polygons * 2);
        for (qint64 i = 0; i < polygons; ++i) {
            const QPolygonF points = Points(record, offset, record.U16(P + 2 + qsizetype(i * 2)));
            if (points.isEmpty())
                return;
            figure.addPolygon(points);
            figure.closeSubpath();
            offset += points.size() * 4;
        }
        break;
    }
    case META_RECTANGLE:
        figure.addRect(RectBRTL(record, P));
        break;
    case META_ELLIPSE:
        figure.addEllipse(RectBRTL(record, P));
        break;
    case META_ROUNDRECT: {
        const QRectF box = RectBRTL(record, P + 4);
        figure.addRoundedRect(box, qMin<qreal>(record.I16(P + 2) / 2.0, box.width() / 2),
                              qMin<qreal>(record.I16(P) / 2.0, box.height() / 2));
        break;
    }
    default: {
        const TArcKind kind = function == META_ARC   ? TArcKind::Arc
                              : function == META_PIE ? TArcKind::Pie
                                                     : TArcKind::Chord;
        FCanvas.Arc(RectBRTL(record, P + 8), PointYX(record, P + 4), PointYX(record, P), kind);
        return;
    }
    }
    FCanvas.Closed(figure);
}

void TWmfPlayer::Objects(quint16 function, const TMetafileBytes& record) {
    TMetafileObject object;
    object.Kind = TMetafileObject::Other;
    switch (function) {
    case META_SELECTOBJECT:
        if (const TMetafileObject* selected = FCanvas.Objects().Get(record.U16(P)))
            FCanvas.Select(*selected);
        return;
    case META_DELETEOBJECT:
        FCanvas.Objects().Remove(record.U16(P));
        return;
    case META_CREATEPENINDIRECT:
        object.Kind = TMetafileObject::Pen;
        object.PenValue =
            MakeMetafilePen(record.U16(P), record.I16(P + 2), MetafileColor(record.U32(P + 6)));
        break;
    case META_CREATEBRUSHINDIRECT:
        object.Kind = TMetafileObject::Brush;
        object.BrushValue =
            MakeMetafileBrush(record.U16(P), MetafileColor(record.U32(P + 2)), record.U16(P + 6));
        break;
    case META_DIBCREATEPATTERNBRUSH: {
        const TMetafileDib dib = DecodeMetafileDib(record.Mid(P + 4, record.Size() - P - 4));
        object.Kind = TMetafileObject::Brush;
        object.BrushValue = dib.Image.isNull() ? QBrush(Qt::gray) : QBrush(dib.Image);
        break;
    }
    default:
        break; // palettes, regions and old-style pattern brushes still take their entry
    }
    FCanvas.Objects().Add(object);
}

void TWmfPlayer::Font(const TMetafileBytes& record) {
    TMetafileObject object;
    object.Kind = TMetafileObject::Font;
    TLogFont& font = object.FontValue;
    font.Height = record.I16(P);
    font.Width = record.I16(P + 2);
    font.Escapement = record.I16(P + 4);
    font.Weight = record.I16(P + 8);
    font.Italic = record.U8(P + 10) != 0;
    font.Underline = record.U8(P + 11) != 0;
    font.StrikeOut = record.U8(P + 12) != 0;
    const qsizetype faceOffset = P + 18;
    font.Face =
        record.Latin1(faceOffset, qBound(qsizetype(0), record.Size() - faceOffset, qsizetype(32)));
    font.Face.truncate(font.Face.indexOf(QChar(0)) < 0 ? font.Face.size()
                                                       : font.Face.indexOf(QChar(0)));
    FCanvas.Objects().Add(object);
}

void TWmfPlayer::Text(quint16 function, const TMetafileBytes& record) {
    if (function == META_TEXTOUT) {
        const qsizetype length = record.U16(P);
        const qsizetype stored = (length + 1) / 2 * 2;
        if (!record.Has(P + 2, stored + 4))
            return;
        FCanvas.Text(PointYX(record, P + 2 + stored), record.Latin1(P + 2, length), {}, 0, {});
        return;
    }
    const qsizetype length = record.I16(P + 4);
    const quint16 options = record.U16(P + 6);
    const bool hasRect = options & (ETO_OPAQUE | ETO_CLIPPED);
    const qsizetype textOffset = P + 8 + (hasRect ? 8 : 0);
    const qsizetype stored = (length + 1) / 2 * 2;
    if (length <= 0 || !record.Has(textOffset, stored))
        return;
    const QRectF rect(QPointF(record.I16(P + 8), record.I16(P + 10)),
                      QPointF(record.I16(P + 12), record.I16(P + 14)));
    QVector<qreal> advances;
    if (record.Has(textOffset + stored, length * 2)) {
        for (qsizetype i = 0; i < length; ++i)
            advances.append(record.I16(textOffset + stored + i * 2));
    }
    FCanvas.Text(PointYX(record, P), record.Latin1(textOffset, length), advances,
                 hasRect ? options : 0, rect);
}

void TWmfPlayer::Blit(quint16 function, const TMetafileBytes& record) {
    const quint32 rop = record.U32(P);
    if (function == META_STRETCHDIB) {
        // rop, usage, source h, w, y, x, destination h, w, y, x, then the bitmap.
        const TMetafileDib dib = DecodeMetafileDib(record.Mid(P + 22, record.Size() - P - 22));
        const QSizeF sourceSize(record.I16(P + 8), record.I16(P + 6));
        qreal sourceY = record.I16(P + 10);
        if (dib.BottomUp)
            sourceY = dib.Image.height() - sourceY - sourceSize.height();
        const QRectF dest(PointYX(record, P + 18), QSizeF(record.I16(P + 16), record.I16(P + 14)));
        if (record.U16(P + 4) == 0)
            FCanvas.Image(dib.Image, dest, QRectF(QPointF(record.I16(P + 12), sourceY), sourceSize),
                          rop);
        return;
    }
    const bool stretch = function == META_DIBSTRETCHBLT;
    // Without a bitmap the record is 3 words longer than its parameters say and holds one
    // unused word after the source fields.
    const bool withBitmap = record.Size() != ((function >> 8) + 3) * 2;
    const qsizetype source = P + 4 + (stretch ? 4 : 0);              // source y, x
    const qsizetype destination = source + 4 + (withBitmap ? 0 : 2); // height, width, y, x
    const QRectF dest(PointYX(record, destination + 4),
                      QSizeF(record.I16(destination + 2), record.I16(destination)));
    if (!withBitmap) {
        FCanvas.FillBlit(dest, rop);
        return;
    }
    const TMetafileDib dib =
        DecodeMetafileDib(record.Mid(destination + 8, record.Size() - destination - 8));
    const QSizeF sourceSize = stretch ? QSizeF(record.I16(P + 6), record.I16(P + 4))
                                      : QSizeF(std::abs(dest.width()), std::abs(dest.height()));
    FCanvas.Image(dib.Image, dest, QRectF(PointYX(record, source), sourceSize), rop);
}

} // namespace

void PlayWindowsMetafile(QPainter& painter, const QByteArray& data, const TWmfHeader& header,
                         const QRectF& target) {
    const TMetafileBytes bytes(data.constData(), data.size());
    TWmfPlayer player(painter, header, target);
    qsizetype offset = header.RecordsOffset;
    while (bytes.Has(offset, 6)) {
        const qint64 size = qint64(bytes.U32(offset)) * 2;
        if (size < 6 || !bytes.Has(offset, size))
            return;
        if (!player.Play(bytes.U16(offset + 4), bytes.Mid(offset, qsizetype(size))))
            return;
        offset += qsizetype(size);
    }
}

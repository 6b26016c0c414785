#include "MetafileObjects.h"

namespace {

enum : quint32 {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5,
    PS_USERSTYLE = 7,
    PS_ALTERNATE = 8,
    PS_STYLE_MASK = 0x0F,
    PS_ENDCAP_MASK = 0x0F00,
    PS_JOIN_MASK = 0xF000,
    PS_ENDCAP_SQUARE = 0x0100,
    PS_ENDCAP_FLAT = 0x0200,
    PS_JOIN_BEVEL = 0x1000,
    PS_JOIN_MITER = 0x2000,
};

enum : quint32 { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2 };

// QPen refuses widths from 32768 on; wider pens (logical units) are drawn this wide.
constexpr qreal MaxPenWidth = 32767;

Qt::PenStyle DashStyle(quint32 style) {
    switch (style & PS_STYLE_MASK) {
    case PS_DASH:
        return Qt::DashLine;
    case PS_DOT:
    case PS_ALTERNATE:
        return Qt::DotLine;
    case PS_DASHDOT:
        return Qt::DashDotLine;
    case PS_DASHDOTDOT:
        return Qt::DashDotDotLine;
    case PS_NULL:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

Qt::BrushStyle HatchStyle(quint32 hatch) {
    static const Qt::BrushStyle styles[] = {Qt::HorPattern,   Qt::VerPattern,
                                            Qt::FDiagPattern, Qt::BDiagPattern,
                                            Qt::CrossPattern, Qt::DiagCrossPattern};
    return hatch < 6 ? styles[hatch] : Qt::SolidPattern;
}

} // namespace

QColor MetafileColor(quint32 colorRef) {
    return QColor(int(colorRef & 0xFF), int(colorRef >> 8 & 0xFF), int(colorRef >> 16 & 0xFF));
}

QPen MakeMetafilePen(quint32 style, qreal width, const QColor& color,
                     const QVector<qreal>& dashes) {
    QPen pen(color);
    pen.setStyle(DashStyle(style));
    if (width <= 0) {
        pen.setWidth(0);
        pen.setCosmetic(true);
    } else {
        pen.setWidthF(qMin(width, MaxPenWidth));
    }
    const quint32 cap = style & PS_ENDCAP_MASK;
    pen.setCapStyle(cap == PS_ENDCAP_SQUARE ? Qt::SquareCap
                    : cap == PS_ENDCAP_FLAT ? Qt::FlatCap
                                            : Qt::RoundCap);
    const quint32 join = style & PS_JOIN_MASK;
    pen.setJoinStyle(join == PS_JOIN_BEVEL   ? Qt::BevelJoin
                     : join == PS_JOIN_MITER ? Qt::MiterJoin
                                             : Qt::RoundJoin);
    if ((style & PS_STYLE_MASK) == PS_USERSTYLE && !dashes.isEmpty() && width > 0) {
        // Qt measures dashes in pen widths, the metafile in logical units.
        QVector<qreal> pattern;
        for (qreal dash : dashes)
            pattern.append(qMax<qreal>(dash / width, 0.01));
        if (pattern.size() % 2 != 0)
            pattern.append(pattern.last());
        pen.setDashPattern(pattern);
    }
    return pen;
}

QBrush MakeMetafileBrush(quint32 style, const QColor& color, quint32 hatch) {
    switch (style) {
    case BS_NULL:
        return QBrush(Qt::NoBrush);
    case BS_HATCHED:
        return QBrush(color, HatchStyle(hatch));
    default:
        return QBrush(color);
    }
}

TMetafileObject StockObject(quint32 number) {
    TMetafileObject object;
    const auto brush = [&](QBrush value) {
        object.Kind = TMetafileObject::Brush;
        object.BrushValue = value;
    };
    const auto pen = [&](QPen value) {
        object.Kind = TMetafileObject::Pen;
        object.PenValue = value;
    };
    switch (number) {
    case 0:
        brush(QBrush(Qt::white));
        break;
    case 1:
        brush(QBrush(QColor(192, 192, 192)));
        break;
    case 2:
        brush(QBrush(QColor(128, 128, 128)));
        break;
    case 3:
        brush(QBrush(QColor(64, 64, 64)));
        break;
    case 4:
        brush(QBrush(Qt::black));
        break;
    case 5:
        brush(QBrush(Qt::NoBrush));
        break;
    case 6:
        pen(MakeMetafilePen(PS_SOLID, 0, Qt::white));
        break;
    case 7:
        pen(MakeMetafilePen(PS_SOLID, 0, Qt::black));
        break;
    case 8:
        pen(QPen(Qt::NoPen));
        break;
    case 0x12:
        brush(QBrush(Qt::white));
        break;
    case 0x13:
        pen(MakeMetafilePen(PS_SOLID, 0, Qt::black));
        break;
    case 0xA:
    case 0xB:
    case 0xC:
    case 0xD:
    case 0xE:
    case 0x10:
    case 0x11:
        object.Kind = TMetafileObject::Font;
        break;
    default:
        break;
    }
    return object;
}

bool TObjectTable::Put(quint32 index, const TMetafileObject& object) {
    if (index >= FObjects.size())
        return false;
    FObjects[index] = object;
    return true;
}

bool TObjectTable::Add(const TMetafileObject& object) {
    for (TMetafileObject& entry : FObjects) {
        if (entry.Kind == TMetafileObject::Empty) {
            entry = object;
            return true;
        }
    }
    return false;
}

const TMetafileObject* TObjectTable::Get(quint32 index) const {
    if (index >= FObjects.size() || FObjects[index].Kind == TMetafileObject::Empty)
        return nullptr;
    return &FObjects[index];
}

void TObjectTable::Remove(quint32 index) {
    if (index < FObjects.size())
        FObjects[index] = TMetafileObject();
}

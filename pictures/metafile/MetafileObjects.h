#pragma once
// The drawing objects a metafile creates (pens, brushes, fonts) and its object table.

#include <QBrush>
#include <QColor>
#include <QPen>
#include <QString>
#include <QVector>

#include <vector>

// A font as a metafile describes it; sizes are in logical units.
struct TLogFont {
    qint32 Height = 0; // < 0 character height, > 0 cell height, 0 a default size
    qint32 Width = 0;
    qint32 Escapement = 0; // tenths of a degree, counter-clockwise
    qint32 Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    QString Face;
};

struct TMetafileObject {
    enum TKind { Empty, Pen, Brush, Font, Other };
    TKind Kind = Empty;
    QPen PenValue;
    QBrush BrushValue;
    TLogFont FontValue;
};

// A pen of the given style bits (low nibble the dash style, then caps and joins), width in
// logical units (0 = one device pixel) and colour; dashes are used by the user style.
QPen MakeMetafilePen(quint32 style, qreal width, const QColor& color,
                     const QVector<qreal>& dashes = {});
// A solid (0), hollow (1) or hatched (2, with hatch 0..5) brush; other styles give solid.
QBrush MakeMetafileBrush(quint32 style, const QColor& color, quint32 hatch);
// A colour from a COLORREF (0x00BBGGRR).
QColor MetafileColor(quint32 colorRef);
// The stock object of the given number (white brush 0 .. DC pen 0x13); Empty when unknown.
TMetafileObject StockObject(quint32 number);

class TObjectTable {
public:
    explicit TObjectTable(int size) : FObjects(size_t(qMax(0, size))) {}

    // Stores object at index; false when index is outside the table.
    bool Put(quint32 index, const TMetafileObject& object);
    // Stores object in the lowest free entry; false when the table is full.
    bool Add(const TMetafileObject& object);
    // The object at index, or nullptr when there is none.
    const TMetafileObject* Get(quint32 index) const;
    // Frees the entry at index; an index outside the table is ignored.
    void Remove(quint32 index);

private:
    std::vector<TMetafileObject> FObjects;
};

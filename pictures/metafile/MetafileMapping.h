#pragma once
// The mapping from a metafile's logical coordinates to its device's: the world transform, the
// map mode and the window and viewport.

#include <QPointF>
#include <QSizeF>
#include <QTransform>

enum TMapMode {
    MM_TEXT = 1,
    MM_LOMETRIC = 2,
    MM_HIMETRIC = 3,
    MM_LOENGLISH = 4,
    MM_HIENGLISH = 5,
    MM_TWIPS = 6,
    MM_ISOTROPIC = 7,
    MM_ANISOTROPIC = 8,
};

struct TMetafileMapping {
    int MapMode = MM_TEXT;
    QPointF WindowOrg;
    QSizeF WindowExt{1, 1};
    QPointF ViewportOrg;
    QSizeF ViewportExt{1, 1};
    QTransform World;

    // Sets the map mode; an unknown mode is ignored.
    void SetMapMode(int mode);
    // Set an extent; a zero extent is ignored, as it would collapse the picture.
    void SetWindowExt(const QSizeF& extent);
    void SetViewportExt(const QSizeF& extent);
    // Logical to device coordinates, for a device with pixelsPerMm pixels per millimetre.
    QTransform ToDevice(const QSizeF& pixelsPerMm) const;
};

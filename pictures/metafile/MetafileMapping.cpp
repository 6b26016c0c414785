#include "MetafileMapping.h"

#include <cmath>

namespace {

// Millimetres per logical unit of the fixed-scale map modes.
double MillimetresPerUnit(int mode) {
    switch (mode) {
    case MM_LOMETRIC:
        return 0.1;
    case MM_HIMETRIC:
        return 0.01;
    case MM_LOENGLISH:
        return 0.254;
    case MM_HIENGLISH:
        return 0.0254;
    case MM_TWIPS:
        return 25.4 / 1440;
    default:
        return 0;
    }
}

} // namespace

void TMetafileMapping::SetMapMode(int mode) {
    if (mode >= MM_TEXT && mode <= MM_ANISOTROPIC)
        MapMode = mode;
}

void TMetafileMapping::SetWindowExt(const QSizeF& extent) {
    if (extent.width() != 0 && extent.height() != 0)
        WindowExt = extent;
}

void TMetafileMapping::SetViewportExt(const QSizeF& extent) {
    if (extent.width() != 0 && extent.height() != 0)
        ViewportExt = extent;
}

QTransform TMetafileMapping::ToDevice(const QSizeF& pixelsPerMm) const {
    double scaleX = 1;
    double scaleY = 1;
    if (MapMode == MM_ISOTROPIC || MapMode == MM_ANISOTROPIC) {
        scaleX = ViewportExt.width() / WindowExt.width();
        scaleY = ViewportExt.height() / WindowExt.height();
        if (MapMode == MM_ISOTROPIC) {
            // Both axes get the smaller magnitude; each keeps its own direction.
            const double magnitude = qMin(std::abs(scaleX), std::abs(scaleY));
            scaleX = std::copysign(magnitude, scaleX);
            scaleY = std::copysign(magnitude, scaleY);
        }
    } else if (MapMode != MM_TEXT) {
        const double unit = MillimetresPerUnit(MapMode);
        scaleX = unit * pixelsPerMm.width();
        scaleY = -unit * pixelsPerMm.height();
    }
    const QTransform page(scaleX, 0, 0, scaleY, ViewportOrg.x() - WindowOrg.x() * scaleX,
                          ViewportOrg.y() - WindowOrg.y() * scaleY);
    return World * page;
}

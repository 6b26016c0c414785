#include "Metafile.h"

#include "EmfPlayer.h"
#include "EmfReader.h"
#include "WmfPlayer.h"
#include "WmfReader.h"

#include <QPainter>

namespace {

// Placeable metafiles are measured in Qt's logical pixels, 96 to the inch on every screen.
constexpr int ScreenDotsPerInch = 96;

} // namespace

TMetafile::TMetafile(QObject* parent) : TGraphic(parent) {}

void TMetafile::Draw(QPainter& canvas, const QRect& rect) {
    if (Empty() || rect.isEmpty())
        return;
    if (FEnhanced)
        PlayEnhancedMetafile(canvas, FData, ReadEmfHeader(FData), rect);
    else
        PlayWindowsMetafile(canvas, FData, ReadWmfHeader(FData), rect);
}

void TMetafile::LoadFromBytes(const QByteArray& data) {
    const bool enhanced = IsEnhancedMetafile(data);
    const QSize size = enhanced ? ReadEmfHeader(data).PixelSize()
                                : ReadWmfHeader(data).PixelSize(ScreenDotsPerInch);
    FData = data;
    FEnhanced = enhanced;
    FWidth = size.width();
    FHeight = size.height();
    emit Changed();
}

void TMetafile::Assign(TGraphic& source) {
    auto* metafile = qobject_cast<TMetafile*>(&source);
    if (!metafile) {
        TGraphic::Assign(source); // raises EConvertError
        return;
    }
    FData = metafile->FData;
    FEnhanced = metafile->FEnhanced;
    FWidth = metafile->FWidth;
    FHeight = metafile->FHeight;
    emit Changed();
}

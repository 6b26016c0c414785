#include "Svg.h"

#include "Bitmap.h"
#include "Graphics.h"
#include "SvgReader.h"

#include <QIODevice>
#include <QPainter>

void TSvgImage::Draw(QPainter& canvas, const QRect& rect) {
    if (Empty() || rect.isEmpty())
        return;
    canvas.drawImage(rect.topLeft(), RenderSvg(FData, rect.size()));
}

void TSvgImage::LoadFromBytes(const QByteArray& data) {
    FSize = ReadSvgSize(data);
    FData = data;
    emit Changed();
}

TThumbnailImage TSvgImage::ReadThumbnail(QIODevice& file, const QSize& box) {
    const QByteArray data = file.readAll();
    const QSize size = ReadSvgSize(data);
    return {size, RenderSvg(data, size.scaled(box, Qt::KeepAspectRatio).expandedTo({1, 1}))};
}

void TSvgImage::AssignTo(TBitmap& dest) {
    if (Empty()) {
        dest.AssignFromDib(TDib());
        return;
    }
    dest.AssignFromDib({OverBackground(RenderSvg(FData, FSize), dest.BrushColor()), 24});
}

void TSvgImage::Assign(TGraphic& source) {
    auto* svg = qobject_cast<TSvgImage*>(&source);
    if (!svg) {
        TGraphic::Assign(source);
        return;
    }
    FData = svg->FData;
    FSize = svg->FSize;
    emit Changed();
}

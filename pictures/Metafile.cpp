#include "Metafile.h"

#include <QPainter>

TMetafile::TMetafile(QObject* parent) : TGraphic(parent) {}

void TMetafile::Draw(QPainter&, const QRect&) {}

void TMetafile::LoadFromBytes(const QByteArray&)
{
    throw EInvalidGraphic(QStringLiteral("Metafile is not valid"));
}

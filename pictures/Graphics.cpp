#include "Graphics.h"

#include "AtomicFile.h"
#include "ThumbnailSampler.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <cerrno>
#include <cstring>

QSize FittedSize(const QSize& picture, const QSize& box) {
    return picture.boundedTo(picture.scaled(box, Qt::KeepAspectRatio)).expandedTo({1, 1});
}

void TGraphic::SetTransparent(bool value) {
    if (value == FTransparent)
        return;
    FTransparent = value;
    emit Changed();
}

void TGraphic::LoadFromFile(const QString& fileName) {
    LoadFromBytes(ReadWholeFile(fileName));
}

TThumbnailImage TGraphic::ReadThumbnail(QIODevice& file, const QSize& box) {
    LoadFromBytes(ReadWholeDevice(file));
    const QSize size(Width(), Height());
    QImage image(FittedSize(size, box), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    Draw(painter, image.rect());
    return {size, image};
}

void TGraphic::AssignTo(TBitmap&) {
    throw EConvertError(
        QStringLiteral("Cannot assign a %1 to a %2").arg(ClassName(), QStringLiteral("TBitmap")));
}

void TGraphic::Assign(TGraphic& source) {
    throw EConvertError(
        QStringLiteral("Cannot assign a %1 to a %2").arg(source.ClassName(), ClassName()));
}

void DrawStretched(QPainter& canvas, const QRect& rect, const QImage& image) {
    canvas.save();
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    canvas.drawImage(rect, image);
    canvas.restore();
}

QImage OverBackground(const QImage& image, const QColor& background) {
    QImage opaque(image.size(), QImage::Format_RGB32);
    opaque.fill(background);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
    return opaque;
}

QByteArray ReadWholeFile(const QString& fileName) {
    // The platform's reader never waits on a FIFO or a device that merely bears a picture's name.
    return ReadExistingFile(QFileInfo(fileName).absoluteFilePath(), MaxPictureFileBytes);
}

QByteArray ReadWholeDevice(QIODevice& file) {
    if (file.size() - file.pos() > MaxPictureFileBytes) {
        const auto* named = qobject_cast<QFile*>(&file);
        throw EReadError(QStringLiteral("Cannot read file \"%1\". %2")
                             .arg(named ? named->fileName() : QString(),
                                  QString::fromLocal8Bit(std::strerror(EFBIG))));
    }
    return file.readAll();
}

QString SystemErrorText(int errorCode, const QFile& file) {
    return errorCode != 0 ? QString::fromLocal8Bit(std::strerror(errorCode)) : file.errorString();
}

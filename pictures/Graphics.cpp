#include "Graphics.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

void TGraphic::SetTransparent(bool value) {
    if (value == FTransparent)
        return;
    FTransparent = value;
    emit Changed();
}

void TGraphic::LoadFromFile(const QString& fileName) {
    LoadFromBytes(ReadWholeFile(fileName));
}

void TGraphic::AssignTo(TBitmap&) {
    throw EConvertError(
        QStringLiteral("Cannot assign a %1 to a %2").arg(ClassName(), QStringLiteral("TBitmap")));
}

void TGraphic::Assign(TGraphic& source) {
    throw EConvertError(
        QStringLiteral("Cannot assign a %1 to a %2").arg(source.ClassName(), ClassName()));
}

QByteArray ReadWholeFile(const QString& fileName) {
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int code = errno;
        throw EFOpenError(
            QStringLiteral("Cannot open file \"%1\". %2")
                .arg(QFileInfo(fileName).absoluteFilePath(), SystemErrorText(code, file)));
    }
    return file.readAll();
}

QString SystemErrorText(int errorCode, const QFile& file) {
    return errorCode != 0 ? QString::fromLocal8Bit(std::strerror(errorCode)) : file.errorString();
}

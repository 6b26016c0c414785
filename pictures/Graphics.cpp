#include "Graphics.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

void TGraphic::SetTransparent(bool value)
{
    if (value == FTransparent)
        return;
    FTransparent = value;
    emit Changed();
}

void TGraphic::LoadFromFile(const QString& fileName)
{
    LoadFromBytes(ReadWholeFile(fileName));
}

void TGraphic::AssignTo(TBitmap&)
{
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(ClassName(), QStringLiteral("TBitmap")));
}

QByteArray ReadWholeFile(const QString& fileName)
{
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int code = errno;
        const QString reason = code != 0 ? QString::fromLocal8Bit(std::strerror(code)) : file.errorString();
        throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2")
                              .arg(QFileInfo(fileName).absoluteFilePath(), reason));
    }
    return file.readAll();
}

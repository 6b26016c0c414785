#include "ProgramFile.h"

#include <QDir>
#include <QFileInfo>

QString ProgramFilePath() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

QString ProgramFolder() {
    return QFileInfo(ProgramFilePath()).absolutePath();
}

QString ProgramDataFolder() {
    const QString installed =
        QDir::cleanPath(ProgramFolder() + QStringLiteral("/../share/velloria"));
    return QFileInfo(installed).isDir() ? installed : ProgramFolder();
}

namespace {
qsizetype ExtensionStart(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > fileName.lastIndexOf(QLatin1Char('/')) ? dot : -1;
}
} // namespace

QString ChangeFileExt(const QString& fileName, const QString& extension) {
    const qsizetype dot = ExtensionStart(fileName);
    return (dot < 0 ? fileName : fileName.left(dot)) + extension;
}

QString ExpandFileName(const QString& fileName) {
    return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
}

QString ExtractFileName(const QString& fileName) {
    return fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ExtractFilePath(const QString& fileName) {
    return fileName.left(fileName.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ExtractFileExt(const QString& fileName) {
    const qsizetype dot = ExtensionStart(fileName);
    return dot < 0 ? QString() : fileName.mid(dot);
}

#pragma once
// Small helpers for configuration tests: files in a temporary folder, read and written whole.

#include <QFile>
#include <QTemporaryDir>

inline QByteArray ReadWhole(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteWhole(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// Lines joined with CR LF, each line ended by one.
inline QByteArray CrLf(std::initializer_list<const char*> lines) {
    QByteArray text;
    for (const char* line : lines)
        text += QByteArray(line) + "\r\n";
    return text;
}

// Dates the file's last write the given seconds from now, as another process's later save would.
inline void TouchLater(const QString& path, int seconds) {
    QFile file(path);
    if (file.open(QIODevice::Append))
        file.setFileTime(QDateTime::currentDateTime().addSecs(seconds),
                         QFileDevice::FileModificationTime);
}

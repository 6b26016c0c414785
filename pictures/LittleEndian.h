#pragma once
// Little-endian fields of the binary picture formats. Callers check offset + width against the
// data's size first; these only assemble bytes.

#include <QByteArray>
#include <QtGlobal>

inline quint16 PeekU16(const QByteArray& data, qint64 offset) {
    const auto* p = reinterpret_cast<const uchar*>(data.constData()) + offset;
    return quint16(p[0] | (p[1] << 8));
}

inline quint32 PeekU32(const QByteArray& data, qint64 offset) {
    const auto* p = reinterpret_cast<const uchar*>(data.constData()) + offset;
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

inline qint32 PeekI32(const QByteArray& data, qint64 offset) {
    return qint32(PeekU32(data, offset));
}

// True when bytes [offset, offset + count) lie inside data; safe against overflow.
inline bool HasBytes(const QByteArray& data, qint64 offset, qint64 count) {
    return offset >= 0 && count >= 0 && offset <= data.size() && count <= data.size() - offset;
}

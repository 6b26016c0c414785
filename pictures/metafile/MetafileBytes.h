#pragma once
// Little-endian access to a span of metafile bytes. A read outside the span gives 0, so the
// players check a record's size once and can never read past the data.

#include <QString>
#include <QtGlobal>

#include <cstring>

class TMetafileBytes {
public:
    TMetafileBytes() = default;
    TMetafileBytes(const char* data, qsizetype size) : FData(data), FSize(size < 0 ? 0 : size) {}

    qsizetype Size() const { return FSize; }
    const char* Data() const { return FData; }
    // True when count bytes start at offset inside the span.
    bool Has(qsizetype offset, qsizetype count) const {
        return offset >= 0 && count >= 0 && offset <= FSize && count <= FSize - offset;
    }
    // The count bytes at offset, or an empty span when they are not all inside.
    TMetafileBytes Mid(qsizetype offset, qsizetype count) const {
        return Has(offset, count) ? TMetafileBytes(FData + offset, count) : TMetafileBytes();
    }

    quint8 U8(qsizetype offset) const { return Has(offset, 1) ? quint8(FData[offset]) : 0; }
    quint16 U16(qsizetype offset) const { return quint16(U8(offset) | U8(offset + 1) << 8); }
    qint16 I16(qsizetype offset) const { return qint16(U16(offset)); }
    quint32 U32(qsizetype offset) const { return U16(offset) | quint32(U16(offset + 2)) << 16; }
    qint32 I32(qsizetype offset) const { return qint32(U32(offset)); }
    float F32(qsizetype offset) const {
        const quint32 bits = U32(offset);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    // count UTF-16LE code units at offset, as far as the span holds them.
    QString Utf16(qsizetype offset, qsizetype count) const {
        QString text;
        for (qsizetype i = 0; i < count && Has(offset + 2 * i, 2); ++i)
            text.append(QChar(U16(offset + 2 * i)));
        return text;
    }
    // count bytes of 8-bit text at offset; empty when the span does not hold them all.
    QString Latin1(qsizetype offset, qsizetype count) const {
        const TMetafileBytes text = Mid(offset, count);
        return QString::fromLatin1(text.Data(), text.Size());
    }

private:
    const char* FData = nullptr;
    qsizetype FSize = 0;
};

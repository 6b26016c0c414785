#pragma once
// Test helpers that write small enhanced and placeable metafiles record by record, so the
// metafile tests and the fuzz seeds need no committed samples.

#include <QByteArray>
#include <QRect>
#include <QSize>
#include <QString>
#include <QtEndian>

#include <initializer_list>

inline quint32 ColorRef(int red, int green, int blue) {
    return quint32(red) | quint32(green) << 8 | quint32(blue) << 16;
}

inline void PutU16(QByteArray& out, quint16 value) {
    const quint16 little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&little), 2);
}

inline void PutU32(QByteArray& out, quint32 value) {
    const quint32 little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&little), 4);
}

inline void SetU32(QByteArray& out, int offset, quint32 value) {
    qToLittleEndian(value, out.data() + offset);
}

// The 40-byte info header of a 24-bit uncompressed DIB of the given size, rows bottom-up.
inline QByteArray DibInfo24(int width, int height) {
    QByteArray info;
    for (int value : {40, width, height})
        PutU32(info, quint32(value));
    PutU16(info, 1);
    PutU16(info, 24);
    return info + QByteArray(24, '\0');
}

// The payload of EMR_EXTCREATEFONTINDIRECTW for font handle: a logical font of the given
// height (negative: character height) and weight, its face name empty.
inline QByteArray EmfFontPayload(int handle, int height, int weight) {
    QByteArray font;
    for (qint64 value : {handle, height, 0, 0, 0, weight, 0})
        PutU32(font, quint32(value));
    return font + QByteArray(64, '\0');
}

// The payload of EMR_EXTTEXTOUTW drawing text at reference, with no advances, inside bounds.
inline QByteArray EmfTextPayload(const QRect& bounds, QPoint reference, const QString& text) {
    QByteArray payload;
    for (qint64 value : {bounds.left(), bounds.top(), bounds.right() + 1, bounds.bottom() + 1, 1, 0,
                         0, reference.x(), reference.y(), int(text.size()), 76, 0, 0, 0, 0, 0, 0})
        PutU32(payload, quint32(value));
    for (QChar c : text)
        PutU16(payload, c.unicode());
    return payload;
}

class TEmfWriter {
public:
    // frame in 0.01 mm (left, top, right, bottom), the recording device's size in pixels and mm.
    TEmfWriter(const QRect& frame, QSize device, QSize millimetres, quint16 handles = 8) {
        PutU32(FData, 1);
        PutU32(FData, 88);
        for (int value : {0, 0, device.width() - 1, device.height() - 1})
            PutU32(FData, quint32(value));
        for (int value : {frame.left(), frame.top(), frame.right(), frame.bottom()})
            PutU32(FData, quint32(value));
        PutU32(FData, 0x464D4520);
        PutU32(FData, 0x10000);
        PutU32(FData, 0); // bytes, set by Bytes()
        PutU32(FData, 0); // records, set by Bytes()
        PutU16(FData, handles);
        PutU16(FData, 0);
        for (int value :
             {0, 0, 0, device.width(), device.height(), millimetres.width(), millimetres.height()})
            PutU32(FData, quint32(value));
        FRecords = 1;
    }

    // A record whose parameters are 32-bit values.
    TEmfWriter& Record(quint32 type, std::initializer_list<qint64> values) {
        QByteArray payload;
        for (qint64 value : values)
            PutU32(payload, quint32(value));
        return Raw(type, payload);
    }

    TEmfWriter& Raw(quint32 type, const QByteArray& payload) {
        PutU32(FData, type);
        PutU32(FData, quint32(8 + payload.size()));
        FData.append(payload);
        ++FRecords;
        return *this;
    }

    // The metafile with its end record and totals.
    QByteArray Bytes() const {
        QByteArray data = FData;
        for (quint32 value : {14u, 20u, 0u, 16u, 20u})
            PutU32(data, value);
        SetU32(data, 48, quint32(data.size()));
        SetU32(data, 52, FRecords + 1);
        return data;
    }

private:
    QByteArray FData;
    quint32 FRecords = 0;
};

class TWmfWriter {
public:
    TWmfWriter(const QRect& box, quint16 unitsPerInch, quint16 objects = 8) : FObjects(objects) {
        PutU32(FPlaceable, 0x9AC6CDD7);
        PutU16(FPlaceable, 0);
        for (int value :
             {box.left(), box.top(), box.left() + box.width(), box.top() + box.height()})
            PutU16(FPlaceable, quint16(value));
        PutU16(FPlaceable, unitsPerInch);
        PutU32(FPlaceable, 0);
        quint16 sum = 0;
        for (int offset = 0; offset < 20; offset += 2)
            sum ^= qFromLittleEndian<quint16>(FPlaceable.constData() + offset);
        PutU16(FPlaceable, sum);
    }

    // A record whose parameters are 16-bit words, in file order.
    TWmfWriter& Record(quint16 function, std::initializer_list<qint32> words) {
        QByteArray payload;
        for (qint32 word : words)
            PutU16(payload, quint16(word));
        return Raw(function, payload);
    }

    TWmfWriter& Raw(quint16 function, QByteArray payload) {
        if (payload.size() % 2 != 0)
            payload.append('\0');
        PutU32(FRecords, quint32(3 + payload.size() / 2));
        PutU16(FRecords, function);
        FRecords.append(payload);
        return *this;
    }

    // The placeable header, the metafile header, the records and the end record.
    QByteArray Bytes() const { return FPlaceable + MetafileOnly(); }
    // The same without the placeable header: a plain Windows metafile.
    QByteArray MetafileOnly() const {
        QByteArray data;
        PutU16(data, 1);
        PutU16(data, 9);
        PutU16(data, 0x0300);
        PutU32(data, quint32((18 + FRecords.size() + 6) / 2));
        PutU16(data, FObjects);
        PutU32(data, 0);
        PutU16(data, 0);
        data += FRecords;
        PutU32(data, 3);
        PutU16(data, 0);
        return data;
    }

private:
    QByteArray FPlaceable;
    QByteArray FRecords;
    quint16 FObjects;
};

#include "ExifOrientation.h"

#include <QTransform>

#include <optional>

namespace {

constexpr uchar MarkerApp1 = 0xE1, MarkerStartOfScan = 0xDA, MarkerEndOfImage = 0xD9;
constexpr quint16 OrientationTag = 0x0112, ShortType = 3;
constexpr int IfdEntrySize = 12;

// Bounded reads of the TIFF structure inside the Exif block, in its own byte order.
class TTiffBytes {
public:
    TTiffBytes(const QByteArray& data, qsizetype start, qsizetype end)
        : FData(data), FStart(start), FEnd(end),
          FBigEndian(end - start >= 2 && data.at(start) == 'M') {}

    std::optional<quint32> Read(qsizetype offset, int size) const {
        if (offset < 0 || offset > FEnd - FStart - size)
            return std::nullopt;
        quint32 value = 0;
        for (int i = 0; i < size; ++i) {
            const quint32 byte = uchar(FData.at(FStart + offset + i));
            value |= byte << (8 * (FBigEndian ? size - 1 - i : i));
        }
        return value;
    }

private:
    const QByteArray& FData;
    qsizetype FStart;
    qsizetype FEnd;
    bool FBigEndian;
};

int OrientationInTiff(const TTiffBytes& tiff) {
    const auto magic = tiff.Read(2, 2);
    const auto ifd = tiff.Read(4, 4);
    if (!magic || *magic != 42 || !ifd)
        return 1;
    const auto count = tiff.Read(*ifd, 2);
    for (quint32 i = 0; count && i < *count; ++i) {
        const qsizetype entry = qsizetype(*ifd) + 2 + qsizetype(i) * IfdEntrySize;
        const auto tag = tiff.Read(entry, 2);
        if (!tag)
            return 1;
        if (*tag != OrientationTag)
            continue;
        const auto type = tiff.Read(entry + 2, 2);
        const auto value = tiff.Read(entry + 8, 2);
        return type && *type == ShortType && value && *value >= 1 && *value <= 8 ? int(*value) : 1;
    }
    return 1;
}

} // namespace

int ReadExifOrientation(const QByteArray& jpeg) {
    static constexpr char ExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
    if (!jpeg.startsWith("\xFF\xD8"))
        return 1;
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg.at(at)) == 0xFF) {
        const uchar marker = uchar(jpeg.at(at + 1));
        if (marker == MarkerStartOfScan || marker == MarkerEndOfImage)
            return 1;
        const qsizetype length = (uchar(jpeg.at(at + 2)) << 8) | uchar(jpeg.at(at + 3));
        const qsizetype body = at + 4, end = qMin(at + 2 + length, jpeg.size());
        if (length < 2)
            return 1;
        if (marker == MarkerApp1 && end - body >= qsizetype(sizeof ExifHeader) &&
            QByteArrayView(jpeg).sliced(body, sizeof ExifHeader) ==
                QByteArrayView(ExifHeader, sizeof ExifHeader))
            return OrientationInTiff(TTiffBytes(jpeg, body + qsizetype(sizeof ExifHeader), end));
        at += 2 + length;
    }
    return 1;
}

QImage TurnedUpright(const QImage& stored, int orientation) {
    const QImage mirrored = orientation == 2 || orientation == 5 || orientation == 7
                                ? stored.mirrored(true, false)
                                : stored;
    switch (orientation) {
    case 2:
        return mirrored;
    case 3:
        return stored.transformed(QTransform().rotate(180));
    case 4:
        return stored.mirrored(false, true);
    case 5:
    case 8:
        return mirrored.transformed(QTransform().rotate(270));
    case 6:
    case 7:
        return mirrored.transformed(QTransform().rotate(90));
    default:
        return stored;
    }
}

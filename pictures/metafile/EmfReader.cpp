#include "EmfReader.h"

#include "Dib.h"
#include "Graphics.h"
#include "MetafileBytes.h"

#include <cmath>

namespace {

constexpr quint32 EmfHeaderType = 1;
constexpr quint32 EmfSignature = 0x464D4520; // " EMF"
constexpr qsizetype MinEmfHeaderSize = 88;
constexpr double MaxPictureSide = 1 << 20;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(QStringLiteral("Metafile is not valid"));
}

} // namespace

QRectF TEmfHeader::DeviceFrame() const {
    if (FrameRight > FrameLeft && FrameBottom > FrameTop) {
        const QSizeF perMm = PixelsPerMm();
        const QPointF topLeft(FrameLeft * perMm.width() / 100.0, FrameTop * perMm.height() / 100.0);
        const QPointF bottomRight(FrameRight * perMm.width() / 100.0,
                                  FrameBottom * perMm.height() / 100.0);
        return QRectF(topLeft, bottomRight);
    }
    return QRectF(QPointF(BoundsLeft, BoundsTop), QPointF(BoundsRight + 1.0, BoundsBottom + 1.0));
}

QSize TEmfHeader::PixelSize() const {
    const QRectF frame = DeviceFrame();
    return QSize(int(std::lround(qMax(0.0, frame.width()))),
                 int(std::lround(qMax(0.0, frame.height()))));
}

QSizeF TEmfHeader::PixelsPerMm() const {
    return QSizeF(double(Device.width()) / Millimeters.width(),
                  double(Device.height()) / Millimeters.height());
}

bool IsEnhancedMetafile(const QByteArray& data) {
    const TMetafileBytes bytes(data.constData(), data.size());
    return bytes.Size() > 100 && bytes.U32(0) == EmfHeaderType && bytes.U32(40) == EmfSignature;
}

TEmfHeader ReadEmfHeader(const QByteArray& data) {
    const TMetafileBytes bytes(data.constData(), data.size());
    TEmfHeader header;
    header.HeaderSize = bytes.U32(4);
    if (header.HeaderSize < MinEmfHeaderSize || header.HeaderSize % 4 != 0 ||
        !bytes.Has(0, header.HeaderSize))
        Invalid();
    header.BoundsLeft = bytes.I32(8);
    header.BoundsTop = bytes.I32(12);
    header.BoundsRight = bytes.I32(16);
    header.BoundsBottom = bytes.I32(20);
    header.FrameLeft = bytes.I32(24);
    header.FrameTop = bytes.I32(28);
    header.FrameRight = bytes.I32(32);
    header.FrameBottom = bytes.I32(36);
    header.Handles = bytes.U16(56);
    header.Device = QSize(bytes.I32(72), bytes.I32(76));
    header.Millimeters = QSize(bytes.I32(80), bytes.I32(84));
    if (header.Device.width() <= 0 || header.Device.height() <= 0 ||
        header.Millimeters.width() <= 0 || header.Millimeters.height() <= 0)
        Invalid();
    const QRectF frame = header.DeviceFrame();
    const double width = std::abs(frame.width());
    const double height = std::abs(frame.height());
    if (width > MaxPictureSide || height > MaxPictureSide ||
        width * height > double(MaxPicturePixels))
        Invalid();
    return header;
}

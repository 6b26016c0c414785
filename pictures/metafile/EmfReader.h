#pragma once
// Recognises an enhanced metafile and reads its header record: the picture's frame, the
// recording device's resolution and the size of its object table.

#include <QByteArray>
#include <QRectF>
#include <QSize>

struct TEmfHeader {
    qint32 FrameLeft = 0, FrameTop = 0, FrameRight = 0, FrameBottom = 0;     // 0.01 mm
    qint32 BoundsLeft = 0, BoundsTop = 0, BoundsRight = 0, BoundsBottom = 0; // device pixels
    QSize Device;             // the recording device's size in pixels
    QSize Millimeters;        // the same size in millimetres
    quint32 Handles = 0;      // entries of the object table, index 0 included
    qsizetype HeaderSize = 0; // bytes of the header record; the next record starts here

    // The frame in the recording device's pixels; the bounds when the frame is empty.
    QRectF DeviceFrame() const;
    // Frame size in the recording device's pixels, rounded.
    QSize PixelSize() const;
    // Recording device pixels per millimetre on each axis.
    QSizeF PixelsPerMm() const;
};

// True for more than 100 bytes starting with record type 1 and " EMF" at byte 40.
bool IsEnhancedMetafile(const QByteArray& data);

// Reads the header of data, which IsEnhancedMetafile accepted. A header whose size field runs
// past the data or below its minimum, a device or millimetre size that is not positive, or a
// picture larger than MaxPicturePixels raises EInvalidGraphic "Metafile is not valid".
TEmfHeader ReadEmfHeader(const QByteArray& data);

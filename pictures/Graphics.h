#pragma once
// The abstract graphic every picture class derives from, and the errors picture code raises.

#include "Dib.h"
#include "Exception.h"

#include <QByteArray>
#include <QImage>
#include <QMetaObject>
#include <QObject>
#include <QRect>
#include <QString>

class QColor;
class QFile;
class QIODevice;
class QPainter;

LX_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
LX_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)

class TBitmap;

// A picture read for a thumbnail cell: the picture's own size, and an image of it at least as
// large as the picture fitted into the cell's box (the whole picture when that is smaller).
struct TThumbnailImage {
    QSize PictureSize;
    QImage Image;
};

// The size of a picture fitted into box, keeping its proportions and never enlarging it; at
// least 1 x 1.
QSize FittedSize(const QSize& picture, const QSize& box);

// Every concrete class is Q_OBJECT with a Q_INVOKABLE default constructor, so that a class
// reference is its const QMetaObject* and newInstance() makes one.
class TGraphic : public QObject {
    Q_OBJECT
public:
    explicit TGraphic(QObject* parent = nullptr) : QObject(parent) {}

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;
    // Draws the graphic stretched into rect of the canvas, as the class's rules say.
    virtual void Draw(QPainter& canvas, const QRect& rect) = 0;

    bool Transparent() const { return FTransparent; }
    // Sets the flag and raises Changed when it differs.
    void SetTransparent(bool value);

    // Reads the whole file (opened read-only) and calls LoadFromBytes; a file that cannot be
    // opened raises EFOpenError "Cannot open file \"%s\". %s" (full name, system's reason).
    virtual void LoadFromFile(const QString& fileName);
    // Replaces the graphic with the one encoded in data; damaged data raises the format's error.
    virtual void LoadFromBytes(const QByteArray& data) = 0;
    // Reads the picture in file for a cell whose picture area is box: a format that can decode
    // at a reduced size does so; the base loads the whole file (ReadWholeDevice) and draws it
    // at its fitted size. Raises what ReadWholeDevice, LoadFromBytes and Draw raise. Runs on a
    // worker thread, on a graphic made there.
    virtual TThumbnailImage ReadThumbnail(QIODevice& file, const QSize& box);
    // Converts this graphic into dest; the base raises EConvertError
    // "Cannot assign a %s to a %s" with ClassName() and "TBitmap".
    virtual void AssignTo(TBitmap& dest);
    // Makes this graphic a copy (or a sharer) of source's image; the base raises EConvertError
    // "Cannot assign a %s to a %s" with source's and this graphic's class names.
    virtual void Assign(TGraphic& source);

    QString ClassName() const { return QString::fromLatin1(metaObject()->className()); }

signals:
    void Changed();
    void Progress(int percent);

private:
    bool FTransparent = false;
};

using TGraphicClass = const QMetaObject*;

// Draws image stretched into rect of canvas, dropping or repeating pixels (no smoothing), its
// alpha over what the canvas holds.
void DrawStretched(QPainter& canvas, const QRect& rect, const QImage& image);
// image with its alpha composed over background, as RGB32 of the same size: for a BMP, which
// keeps no alpha.
QImage OverBackground(const QImage& image, const QColor& background);

// No picture any reader accepts needs more bytes than four a pixel plus its headers: a larger
// file is junk or a hole, and is refused rather than read.
inline constexpr qint64 MaxPictureFileBytes = MaxPicturePixels * 4 + (qint64(1) << 20);

// Reads a whole file for a loader; raises EFOpenError as LoadFromFile describes, and
// EReadError "Cannot read file \"%s\". File too large" past MaxPictureFileBytes.
QByteArray ReadWholeFile(const QString& fileName);
// Reads what is left of an open file for a thumbnail; raises EReadError as ReadWholeFile does
// past MaxPictureFileBytes, naming the file when file is a QFile.
QByteArray ReadWholeDevice(QIODevice& file);
// The system's text for errorCode (an errno value), or the file's own error text when it is 0.
QString SystemErrorText(int errorCode, const QFile& file);

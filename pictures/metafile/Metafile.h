#pragma once
// TMetafile: an enhanced metafile or a placeable Windows metafile, told apart by content, and
// played scaled into a rectangle by the record players.

#include "Graphics.h"

#include <QByteArray>

class TMetafile : public TGraphic {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TMetafile(QObject* parent = nullptr);

    // Size in pixels: an enhanced metafile's frame at its recording device's resolution, or a
    // placeable metafile's bounding box at 96 dpi (Qt's logical screen resolution); 0 when empty.
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    bool Empty() const override { return FData.isEmpty(); }
    // Plays the records scaled into rect; a damaged record ends the playback quietly.
    void Draw(QPainter& canvas, const QRect& rect) override;
    // Takes an enhanced metafile (more than 100 bytes, record type 1, " EMF" at byte 40) or a
    // placeable metafile (key and checksum in its 22-byte header); anything else raises
    // EInvalidGraphic "Metafile is not valid" and leaves the graphic as it was.
    void LoadFromBytes(const QByteArray& data) override;
    // Takes another metafile's records (shared); any other class raises EConvertError.
    void Assign(TGraphic& source) override;
    // True when the loaded data is an enhanced metafile.
    bool Enhanced() const { return FEnhanced; }

private:
    QByteArray FData;
    bool FEnhanced = false;
    int FWidth = 0;
    int FHeight = 0;
};

#pragma once
// TJvAni: an animated cursor, its frames (TJvIconFrame, each holding a TIcon) and its play
// sequence; the current frame is the first of the play sequence after loading.

#include "Graphics.h"
#include "Icon.h"

#include <QList>
#include <memory>
#include <vector>

class TJvIconFrame {
public:
    TIcon Icon;
};

class TJvAni : public TGraphic {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TJvAni(QObject* parent = nullptr) : TGraphic(parent) {}
    ~TJvAni() override;

    // The current frame's icon size; 0 without frames.
    int Width() const override;
    int Height() const override;
    bool Empty() const override { return FFrames.empty(); }
    // Draws the current frame's icon at its own size at rect's top-left, through its mask.
    void Draw(QPainter& canvas, const QRect& rect) override;
    // Reads an animated cursor (see ReadAni; EReadError "Stream read error" when damaged) and
    // decodes every frame's icon; a damaged frame raises its icon error. On failure the graphic
    // keeps its old frames.
    void LoadFromBytes(const QByteArray& data) override;
    // One horizontal strip (first icon's width x frame count, its height), filled with dest's
    // brush colour, the play sequence's frames drawn at their own size from left to right,
    // then reduced to 4 bits (ColorCount <= 16), 8 bits (<= 256) or 24 bits. No frames: an
    // empty bitmap.
    void AssignTo(TBitmap& dest) override;
    // Shares another animated cursor's frames; other classes raise EConvertError.
    void Assign(TGraphic& source) override;

    int FrameCount() const { return int(FFrames.size()); }
    const TJvIconFrame& Frame(int index) const { return *FFrames.at(index); }
    const QList<int>& Sequence() const { return FSequence; }
    const QList<int>& Rates() const { return FRates; }
    // Index into the frames of the frame shown now.
    int CurrentFrame() const { return FCurrentFrame; }
    // The colours the file records, at least 16.
    qint64 ColorCount() const { return FColorCount; }
    const QString& Title() const { return FTitle; }
    const QString& Author() const { return FAuthor; }

private:
    std::vector<std::shared_ptr<TJvIconFrame>> FFrames;
    QList<int> FSequence;
    QList<int> FRates;
    int FCurrentFrame = 0;
    qint64 FColorCount = 16;
    QString FTitle;
    QString FAuthor;
};

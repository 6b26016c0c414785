#pragma once
// TIcon: an icon file's image as the display shows it, with its mask as alpha.

#include "Dib.h"
#include "Graphics.h"

class TIcon : public TGraphic {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TIcon(QObject* parent = nullptr) : TGraphic(parent) {}

    int Width() const override { return FDib.Image.width(); }
    int Height() const override { return FDib.Image.height(); }
    bool Empty() const override { return FDib.IsEmpty(); }
    // Draws the icon stretched into rect through its mask.
    void Draw(QPainter& canvas, const QRect& rect) override;
    // Reads an icon file for 32 x 32 at the screen's depth (see ReadIco); cursor files and
    // damaged data raise EInvalidGraphic "Icon image is not valid" and keep the old image.
    void LoadFromBytes(const QByteArray& data) override;
    // As LoadFromBytes, but also takes cursor files: the frames of animated cursors.
    void LoadFrameFromBytes(const QByteArray& data);
    // Copies (shares) another icon's image; other classes raise EConvertError.
    void Assign(TGraphic& source) override;

    const TDib& Dib() const { return FDib; }

private:
    void SetDib(const TDib& dib);
    TDib FDib;
};

// The colour depth of the primary screen, or 32 when there is no screen; off the UI thread,
// the depth the UI thread last saw (32 before it looked). Safe from any thread.
int ScreenDepth();

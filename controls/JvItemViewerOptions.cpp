#include "JvItemViewerOptions.h"

#include "JvItemViewer.h"

#include <QImage>

// ---- TJvBrushPattern ----

void TJvBrushPattern::SetActive(bool value) {
    FActive = value;
    FTile.reset();
}

void TJvBrushPattern::SetEvenColor(const QColor& value) {
    FEvenColor = value;
    FTile.reset();
}

void TJvBrushPattern::SetOddColor(const QColor& value) {
    FOddColor = value;
    FTile.reset();
}

QBrush TJvBrushPattern::Brush() const {
    if (!FTile) {
        if (!FActive) {
            FTile = QBrush(FOddColor);
        } else {
            QImage tile(8, 8, QImage::Format_RGB32);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    tile.setPixel(x, y, (x % 2 == y % 2 ? FOddColor : FEvenColor).rgb());
            FTile = QBrush(tile);
        }
    }
    return *FTile;
}

// ---- TJvCustomItemViewerOptions ----

TJvCustomItemViewerOptions::TJvCustomItemViewerOptions(TJvCustomItemViewer& owner)
    : FOwner(owner), FHotColor(owner.palette().color(QPalette::Highlight)) {}

void TJvCustomItemViewerOptions::Apply(TEffect effect) {
    if (effect == TEffect::Recompute || (effect == TEffect::RecomputeWithCaptions && FShowCaptions))
        FOwner.OptionsChanged(true);
    else if (effect == TEffect::Store)
        FOwner.OptionsChanged(false);
}

void TJvCustomItemViewerOptions::SetWidth(int value) {
    Change(FWidth, value, TEffect::Recompute);
}
void TJvCustomItemViewerOptions::SetHeight(int value) {
    Change(FHeight, value, TEffect::Recompute);
}
void TJvCustomItemViewerOptions::SetHorzSpacing(int value) {
    Change(FHorzSpacing, value, TEffect::Recompute);
}
void TJvCustomItemViewerOptions::SetVertSpacing(int value) {
    Change(FVertSpacing, value, TEffect::Recompute);
}
void TJvCustomItemViewerOptions::SetScrollBar(TJvItemViewerScrollBar value) {
    Change(FScrollBar, value, TEffect::Recompute);
}
void TJvCustomItemViewerOptions::SetAutoCenter(bool value) {
    Change(FAutoCenter, value, TEffect::Recompute);
}
void TJvCustomItemViewerOptions::SetTracking(bool value) {
    Change(FTracking, value, TEffect::Recompute);
}
void TJvCustomItemViewerOptions::SetHotTrack(bool value) {
    Change(FHotTrack, value, TEffect::Recompute);
}
void TJvCustomItemViewerOptions::SetMultiSelect(bool value) {
    Change(FMultiSelect, value, TEffect::Recompute);
}
void TJvCustomItemViewerOptions::SetShowCaptions(bool value) {
    Change(FShowCaptions, value, TEffect::Recompute);
}
void TJvCustomItemViewerOptions::SetAlignment(TAlignment value) {
    Change(FAlignment, value, TEffect::RecomputeWithCaptions);
}
void TJvCustomItemViewerOptions::SetLayout(TTextLayout value) {
    Change(FLayout, value, TEffect::RecomputeWithCaptions);
}
void TJvCustomItemViewerOptions::SetRightClickSelect(bool value) {
    Change(FRightClickSelect, value, TEffect::Store);
}
void TJvCustomItemViewerOptions::SetDragAutoScroll(bool value) {
    Change(FDragAutoScroll, value, TEffect::Store);
}
void TJvCustomItemViewerOptions::SetFrameColor(const QColor& value) {
    Change(FFrameColor, value, TEffect::Recompute);
}
void TJvCustomItemViewerOptions::SetHotColor(const QColor& value) {
    Change(FHotColor, value, TEffect::Store);
}
void TJvCustomItemViewerOptions::SetHotFrameSize(int value) {
    Change(FHotFrameSize, value, TEffect::Store);
}

void TJvCustomItemViewerOptions::SetLazyRead(bool value) {
    Change(FLazyRead, value, TEffect::Recompute);
    if (!value)
        SetReduceMemoryUsage(false);
}

void TJvCustomItemViewerOptions::SetReduceMemoryUsage(bool value) {
    if (value == FReduceMemoryUsage)
        return;
    FReduceMemoryUsage = value;
    if (!value)
        return;
    SetLazyRead(true);
    FOwner.ReduceMemory();
}

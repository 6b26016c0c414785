#pragma once
// The options of the item viewer, each with its default, and the brush pattern that fills a
// selected cell.

#include <QBrush>
#include <QColor>
#include <optional>

class TJvCustomItemViewer;

enum class TJvItemViewerScrollBar { tvHorizontal, tvVertical };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };

// The two-colour 8 x 8 tile that fills a selected cell. Changing a colour drops the tile; the
// viewer picks the new one up at its next paint.
class TJvBrushPattern {
public:
    bool Active() const { return FActive; }
    void SetActive(bool value);
    QColor EvenColor() const { return FEvenColor; }
    void SetEvenColor(const QColor& value);
    QColor OddColor() const { return FOddColor; }
    void SetOddColor(const QColor& value);
    // The fill: the tile (OddColor where x and y are both even or both odd, EvenColor elsewhere,
    // anchored at the client's origin), built once per colour pair; plain OddColor when inactive.
    QBrush Brush() const;

private:
    bool FActive = true;
    QColor FEvenColor{255, 255, 255};
    QColor FOddColor{166, 202, 240};
    mutable std::optional<QBrush> FTile;
};

// Every option of the viewer with its default. A setter that changes a value recomputes the
// layout, repaints and raises OnOptionsChanged unless its comment says otherwise. Values are
// taken as given (a hand-edited file may hold any); the layout and painting cope with them.
class TJvCustomItemViewerOptions {
public:
    // HotColor starts as the owner's highlight colour.
    explicit TJvCustomItemViewerOptions(TJvCustomItemViewer& owner);
    virtual ~TJvCustomItemViewerOptions() = default;

    int Width() const { return FWidth; } // 120
    void SetWidth(int value);
    int Height() const { return FHeight; } // 120
    void SetHeight(int value);
    int HorzSpacing() const { return FHorzSpacing; } // 4
    void SetHorzSpacing(int value);
    int VertSpacing() const { return FVertSpacing; } // 4
    void SetVertSpacing(int value);
    TJvItemViewerScrollBar ScrollBar() const { return FScrollBar; } // tvVertical
    void SetScrollBar(TJvItemViewerScrollBar value);
    bool AutoCenter() const { return FAutoCenter; } // false
    void SetAutoCenter(bool value);
    // true: the view follows the scroll thumb while it is dragged.
    bool Tracking() const { return FTracking; }
    void SetTracking(bool value);
    bool HotTrack() const { return FHotTrack; } // false
    void SetHotTrack(bool value);
    bool MultiSelect() const { return FMultiSelect; } // false
    void SetMultiSelect(bool value);
    // true: only cells that meet the client area are painted (and so loaded). Turning it off
    // also turns ReduceMemoryUsage off.
    bool LazyRead() const { return FLazyRead; }
    void SetLazyRead(bool value);
    bool ShowCaptions() const { return FShowCaptions; } // true
    void SetShowCaptions(bool value);
    // taCenter; recomputes only while ShowCaptions is on.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    // tlBottom; recomputes only while ShowCaptions is on.
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout value);
    // false; only stored.
    bool RightClickSelect() const { return FRightClickSelect; }
    void SetRightClickSelect(bool value);
    // false. Turning it on also turns LazyRead on and frees the pictures out of view at once;
    // stored without a recomputation of its own.
    bool ReduceMemoryUsage() const { return FReduceMemoryUsage; }
    void SetReduceMemoryUsage(bool value);
    // true; only stored (nothing is ever dragged over the viewer).
    bool DragAutoScroll() const { return FDragAutoScroll; }
    void SetDragAutoScroll(bool value);
    // Grey; an invalid colour means no frame.
    QColor FrameColor() const { return FFrameColor; }
    void SetFrameColor(const QColor& value);
    // The highlight colour of the palette at creation; only stored.
    QColor HotColor() const { return FHotColor; }
    void SetHotColor(const QColor& value);
    // 2; only stored.
    int HotFrameSize() const { return FHotFrameSize; }
    void SetHotFrameSize(int value);
    // The selection fill; the object stays, its colours may change.
    TJvBrushPattern& BrushPattern() { return FBrushPattern; }
    const TJvBrushPattern& BrushPattern() const { return FBrushPattern; }

protected:
    enum class TEffect { Store, Recompute, RecomputeWithCaptions };
    // Stores value into field when it differs and then has the given effect on the owner.
    template <typename T> void Change(T& field, const T& value, TEffect effect) {
        if (field == value)
            return;
        field = value;
        Apply(effect);
    }
    void Apply(TEffect effect);
    TJvCustomItemViewer& FOwner;

private:
    int FWidth = 120;
    int FHeight = 120;
    int FHorzSpacing = 4;
    int FVertSpacing = 4;
    TJvItemViewerScrollBar FScrollBar = TJvItemViewerScrollBar::tvVertical;
    bool FAutoCenter = false;
    bool FTracking = true;
    bool FHotTrack = false;
    bool FMultiSelect = false;
    bool FLazyRead = true;
    bool FShowCaptions = true;
    TAlignment FAlignment = TAlignment::taCenter;
    TTextLayout FLayout = TTextLayout::tlBottom;
    bool FRightClickSelect = false;
    bool FReduceMemoryUsage = false;
    bool FDragAutoScroll = true;
    QColor FFrameColor{128, 128, 128};
    QColor FHotColor;
    int FHotFrameSize = 2;
    TJvBrushPattern FBrushPattern;
};

#pragma once
// TJvCustomItemViewer: a scrolling grid of equal cells, one per item, filled row by row. It owns
// its item list (slots filled on demand), its options, the selected index and the layout results;
// it draws every cell through DrawItem and selects with the mouse and the arrow keys.

#include "Exception.h"

#include <QAbstractScrollArea>
#include <QBrush>
#include <QColor>
#include <QFlags>
#include <QRect>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QPainter;
class TJvCustomItemViewer;

LX_DECLARE_EXCEPTION(EListError, Exception)

enum TCustomDrawStateFlag { cdsSelected = 0x1, cdsFocused = 0x2, cdsHot = 0x4 };
Q_DECLARE_FLAGS(TCustomDrawState, TCustomDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TCustomDrawState)

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

// One cell's item. The viewer creates it when its slot is first asked for.
class TJvViewerItem {
public:
    explicit TJvViewerItem(TJvCustomItemViewer& owner) : FOwner(owner) {}
    virtual ~TJvViewerItem() = default;

    TJvCustomItemViewer& Owner() const { return FOwner; }
    TCustomDrawState State() const { return FState; }
    void SetState(TCustomDrawState value) { FState = value; }
    // True once the item waits for its removal.
    bool Deleting() const { return FDeleting; }
    void SetDeleting(bool value) { FDeleting = value; }
    QString Hint;

    // Whether the item may change: true unless the owner's OnItemChanging says otherwise.
    virtual bool Changing();
    // Tells the owner that the item changed (ignored during a batch update).
    virtual void Changed();
    // Drops what can be rebuilt later; the base item holds nothing of the kind.
    virtual void ReduceMemory() {}

private:
    TJvCustomItemViewer& FOwner;
    TCustomDrawState FState;
    bool FDeleting = false;
};

// The viewer's items in display order. A slot may be empty: its item is made when first asked
// for. Removing an item destroys it.
class TJvViewerItemList {
public:
    explicit TJvViewerItemList(TJvCustomItemViewer& owner) : FOwner(owner) {}

    int Count() const { return int(FSlots.size()); }
    // The item at index, made by the owner when its slot is empty. An index outside
    // 0 .. Count - 1 raises EListError "List index out of bounds (%d)".
    TJvViewerItem* Items(int index);
    // The item in the slot, or null when the slot is empty or index is outside the list.
    TJvViewerItem* Existing(int index) const;
    // The index of the item, or -1.
    int IndexOf(const TJvViewerItem* item) const;

private:
    friend class TJvCustomItemViewer;
    TJvCustomItemViewer& FOwner;
    std::vector<std::unique_ptr<TJvViewerItem>> FSlots;
};

class TJvCustomItemViewer : public QAbstractScrollArea {
    Q_OBJECT
public:
    ~TJvCustomItemViewer() override;

    TJvCustomItemViewerOptions& Options() { return *FOptions; }

    int Count() const { return FItems.Count(); }
    // The item at index, made on first request; raises EListError outside 0 .. Count - 1.
    TJvViewerItem* Items(int index) { return FItems.Items(index); }
    const TJvViewerItemList& ItemList() const { return FItems; }

    // -1 or the index of the last selected item (its mark may have been cleared since).
    int SelectedIndex() const { return FSelectedIndex; }
    // Unmarks the item at the old index, stores index and marks the item it names; each mark
    // change repaints that cell.
    void SetSelectedIndex(int index);

    // A batch change: while the counter is above 0 nothing is painted and item changes are not
    // shown. The EndUpdate that brings it back to 0 recomputes the layout and repaints; extra
    // EndUpdate calls do nothing.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return FUpdateCount > 0; }

    // The index of the cell under the client point, or -1; with existingOnly false, the index
    // the grid would give there even beyond the items.
    int CellIndexAt(int x, int y, bool existingOnly = true) const;
    // Scrolls so that the cell of index is in view, then recomputes the layout and repaints.
    void MakeCellVisible(int index);

    // Layout results: the grid pitch (cx, cy), its size, the client position of cell 0 with the
    // scroll position subtracted, the range kept by memory reduction, the caption line height.
    qint64 CellWidth() const { return FCellWidth; }
    qint64 CellHeight() const { return FCellHeight; }
    int Columns() const { return FColumns; }
    int Rows() const { return FRows; }
    QPoint Origin() const { return {int(FOriginX), int(FOriginY)}; }
    int FirstVisibleIndex() const { return FFirstVisible; }
    int LastVisibleIndex() const { return FLastVisible; }
    int TextHeight() const;
    // The pitch cell of index in client coordinates; empty for an index outside the list.
    QRect CellRect(int index) const;
    // The drawn item rectangle of index: the pitch cell less the spacing, less the caption.
    QRect ItemRect(int index) const;
    // The caption band of index (empty without captions), before the 2-pixel move of drawing.
    QRect TextRect(int index) const;

    // Hooks; all optional.
    std::function<void(TJvCustomItemViewer* sender, TJvViewerItem* item, bool& allow)>
        OnItemChanging;
    std::function<void(TJvCustomItemViewer* sender, TJvViewerItem* item)> OnItemChanged;
    // Before an item is removed from the list.
    std::function<void(TJvCustomItemViewer* sender, TJvViewerItem* item)> OnDeletion;
    std::function<void(TJvCustomItemViewer* sender)> OnOptionsChanged;
    // After the scroll bar moved the view.
    std::function<void(TJvCustomItemViewer* sender)> OnScroll;
    // At the start of each cell's drawing; the viewer's own drawing follows.
    std::function<void(TJvCustomItemViewer* sender, int index, TCustomDrawState state,
                       QPainter& canvas, const QRect& itemRect, const QRect& textRect)>
        OnDrawItem;
    std::function<void(TJvCustomItemViewer* sender)> OnDblClick;
    // The control's click notice, raised by the Space key.
    std::function<void(TJvCustomItemViewer* sender)> OnClick;

protected:
    using TOptionsFactory =
        std::function<std::unique_ptr<TJvCustomItemViewerOptions>(TJvCustomItemViewer&)>;
    TJvCustomItemViewer(QWidget* parent, const TOptionsFactory& makeOptions);

    // Makes the item for an empty slot.
    virtual std::unique_ptr<TJvViewerItem> CreateItem(int index);
    // Draws one cell; the base calls OnDrawItem only.
    virtual void DrawItem(QPainter& canvas, int index, TCustomDrawState state,
                          const QRect& itemRect, const QRect& textRect);
    // Called after the item (or empty slot) at index left the list.
    virtual void SlotRemoved(int index);
    // Sets the number of slots: new ones are empty, dropped items are destroyed after
    // OnDeletion. A count not above SelectedIndex clears the selection. Recomputes the layout.
    void SetCount(int count);
    // Raises OnDeletion, destroys the item at index and recomputes the layout.
    void DeleteItem(int index);
    // Recomputes the grid, the scroll bars, the origin and the visible range, then frees the
    // pictures out of view (when ReduceMemoryUsage is on).
    void RecomputeLayout();
    // Frees what the items out of the visible range can rebuild.
    void ReduceMemory();
    // Repaints the cell of the item (not during a batch update or our own paint).
    void UpdateItem(const TJvViewerItem* item);
    // Asks for a paint of the whole client area once the current one has ended.
    void RepaintLater();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class TJvCustomItemViewerOptions;
    friend class TJvViewerItem;
    friend class TJvViewerItemList;

    void OptionsChanged(bool recompute);
    void ItemChanged(TJvViewerItem* item);
    bool AllowItemChange(TJvViewerItem* item);
    std::unique_ptr<TJvViewerItem> NewItem(int index) { return CreateItem(index); }
    void ComputeGrid(int count);
    void ComputeScrollBars();
    void ComputeOrigin();
    void ComputeVisibleRange();
    qint64 CellIndexAt64(qint64 x, qint64 y, bool existingOnly) const;
    void PaintCells(QPainter& canvas);
    void SetMark(int index, bool marked);
    void PostClearMarks(bool keepSelected);
    void ClickCell(int index, Qt::KeyboardModifiers modifiers);
    void MoveSelection(int index);
    void SetHotIndex(int index);
    void ScrollTo(int horizontal, int vertical);

    std::unique_ptr<TJvCustomItemViewerOptions> FOptions;
    TJvViewerItemList FItems;
    int FSelectedIndex = -1;
    int FPressedIndex = -1;
    int FHotIndex = -1;
    int FUpdateCount = 0;
    bool FPainting = false;
    bool FScrollingBySelf = false;
    qint64 FCellWidth = 0;
    qint64 FCellHeight = 0;
    int FColumns = 1;
    int FRows = 1;
    qint64 FOriginX = 0;
    qint64 FOriginY = 0;
    int FFirstVisible = 0;
    int FLastVisible = -1;
};

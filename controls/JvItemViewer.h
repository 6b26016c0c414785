#pragma once
// TJvCustomItemViewer: a scrolling grid of equal cells, one per item, filled row by row. It owns
// its item list (slots filled on demand), its options, the selected index and the layout results;
// it draws every cell through DrawItem and selects with the mouse and the arrow keys.

#include "Exception.h"
#include "JvItemViewerOptions.h"

#include <QAbstractScrollArea>
#include <QFlags>
#include <QRect>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class TJvCustomItemViewer;

LX_DECLARE_EXCEPTION(EListError, Exception)

enum TCustomDrawStateFlag { cdsSelected = 0x1, cdsFocused = 0x2, cdsHot = 0x4 };
Q_DECLARE_FLAGS(TCustomDrawState, TCustomDrawStateFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TCustomDrawState)

// One cell's item. The viewer creates it when its slot is first asked for.
class TJvViewerItem {
public:
    explicit TJvViewerItem(TJvCustomItemViewer& owner) : FOwner(owner) {}
    virtual ~TJvViewerItem() = default;

    // The viewer the item belongs to (not owned).
    TJvCustomItemViewer& Owner() const { return FOwner; }
    // How the cell is drawn (selected, hot); set by the viewer, which repaints the cell.
    TCustomDrawState State() const { return FState; }
    void SetState(TCustomDrawState value) { FState = value; }
    // True once the item waits for its removal: painting skips it.
    bool Deleting() const { return FDeleting; }
    void SetDeleting(bool value) { FDeleting = value; }
    // Empty; kept for the item's owner.
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

    // The number of slots, empty or not.
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

    // The options object; it lives as long as the viewer.
    TJvCustomItemViewerOptions& Options() { return *FOptions; }
    const TJvCustomItemViewerOptions& Options() const { return *FOptions; }

    // The number of items.
    int Count() const { return FItems.Count(); }
    // The item at index, made on first request; raises EListError outside 0 .. Count - 1.
    TJvViewerItem* Items(int index) { return FItems.Items(index); }
    // The item list, to look at slots without filling them.
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
    // True while a batch change is under way.
    bool Updating() const { return FUpdateCount > 0; }

    // The index of the cell under the client point, or -1; with existingOnly false, the index
    // the grid would give there even beyond the items.
    int CellIndexAt(int x, int y, bool existingOnly = true) const;
    // Scrolls so that the cell of index is in view, then recomputes the layout and repaints.
    void MakeCellVisible(int index);

    // Layout results: the grid pitch (cx, cy), its size, the client position of cell 0 with the
    // scroll position subtracted, the range kept by memory reduction.
    qint64 CellWidth() const { return FCellWidth; }
    qint64 CellHeight() const { return FCellHeight; }
    int Columns() const { return FColumns; }
    int Rows() const { return FRows; }
    QPoint Origin() const { return {int(FOriginX), int(FOriginY)}; }
    int FirstVisibleIndex() const { return FFirstVisible; }
    int LastVisibleIndex() const { return FLastVisible; }
    // The caption line height th of the font now: one line of "Wg" as measured in a 100 x 100
    // box, plus 4. The layout keeps the value it measured.
    int TextHeight() const;
    // The pitch cell of index in client coordinates; empty for an index outside the list.
    QRect CellRect(int index) const;
    // The drawn item rectangle of index: the pitch cell less the spacing, less the caption.
    QRect ItemRect(int index) const;
    // The caption band of index (empty without captions), before the 2-pixel move of drawing.
    QRect TextRect(int index) const;

    // Hooks; all optional. OnItemChanging may clear allow (true on entry) to keep an item as
    // it is; OnItemChanged follows a change outside a batch update.
    std::function<void(TJvCustomItemViewer* sender, TJvViewerItem* item, bool& allow)>
        OnItemChanging;
    std::function<void(TJvCustomItemViewer* sender, TJvViewerItem* item)> OnItemChanged;
    // Before an item is removed from the list.
    std::function<void(TJvCustomItemViewer* sender, TJvViewerItem* item)> OnDeletion;
    // After an option change that recomputed the layout.
    std::function<void(TJvCustomItemViewer* sender)> OnOptionsChanged;
    // After the scroll bar moved the view.
    std::function<void(TJvCustomItemViewer* sender)> OnScroll;
    // At the start of each cell's drawing; the viewer's own drawing follows.
    std::function<void(TJvCustomItemViewer* sender, int index, TCustomDrawState state,
                       QPainter& canvas, const QRect& itemRect, const QRect& textRect)>
        OnDrawItem;
    // A double click of the left button, after its first click selected the cell.
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

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
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
    int FTextHeight = 0;
    qint64 FCellWidth = 0;
    qint64 FCellHeight = 0;
    int FColumns = 1;
    int FRows = 1;
    qint64 FOriginX = 0;
    qint64 FOriginY = 0;
    int FFirstVisible = 0;
    int FLastVisible = -1;
};

#include "JvItemViewer.h"

#include "AppShell.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <climits>

namespace {
// A rectangle from its edges, right and bottom exclusive. Edges far outside any screen are pulled
// in to where the size still fits an int; the part that can be seen stays the same.
QRect Ltrb(qint64 left, qint64 top, qint64 right, qint64 bottom) {
    const auto near = [](qint64 edge) {
        constexpr qint64 Far = qint64(1) << 29;
        return int(std::clamp<qint64>(edge, -Far, Far));
    };
    return QRect(QPoint(near(left), near(top)), QPoint(near(right) - 1, near(bottom) - 1));
}

int ClampToInt(qint64 value) {
    return int(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

// One line step of the scroll bars, in pixels.
constexpr int LineStep = 8;
} // namespace

// ---- TJvViewerItem ----

bool TJvViewerItem::Changing() {
    return FOwner.AllowItemChange(this);
}

void TJvViewerItem::Changed() {
    FOwner.ItemChanged(this);
}

// ---- TJvViewerItemList ----

TJvViewerItem* TJvViewerItemList::Items(int index) {
    if (index < 0 || index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    auto& slot = FSlots[size_t(index)];
    if (!slot)
        slot = FOwner.NewItem(index);
    return slot.get();
}

TJvViewerItem* TJvViewerItemList::Existing(int index) const {
    return index >= 0 && index < Count() ? FSlots[size_t(index)].get() : nullptr;
}

int TJvViewerItemList::IndexOf(const TJvViewerItem* item) const {
    if (!item)
        return -1;
    const auto found = std::find_if(FSlots.begin(), FSlots.end(),
                                    [item](const auto& slot) { return slot.get() == item; });
    return found == FSlots.end() ? -1 : int(found - FSlots.begin());
}

// ---- TJvCustomItemViewer: items, selection, batches ----

TJvCustomItemViewer::TJvCustomItemViewer(QWidget* parent, const TOptionsFactory& makeOptions)
    : QAbstractScrollArea(parent), FItems(*this) {
    FOptions = makeOptions(*this);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        bar->setSingleStep(LineStep);
}

TJvCustomItemViewer::~TJvCustomItemViewer() = default;

std::unique_ptr<TJvViewerItem> TJvCustomItemViewer::CreateItem(int) {
    return std::make_unique<TJvViewerItem>(*this);
}

void TJvCustomItemViewer::SetSelectedIndex(int index) {
    SetMark(FSelectedIndex, false);
    FSelectedIndex = index;
    if (index >= 0 && index < Count())
        SetMark(index, true);
}

void TJvCustomItemViewer::SetMark(int index, bool marked) {
    TJvViewerItem* item =
        marked && index >= 0 && index < Count() ? Items(index) : FItems.Existing(index);
    if (!item || item->State().testFlag(cdsSelected) == marked)
        return;
    item->SetState(item->State().setFlag(cdsSelected, marked));
    UpdateItem(item);
}

void TJvCustomItemViewer::BeginUpdate() {
    ++FUpdateCount;
}

void TJvCustomItemViewer::EndUpdate() {
    if (FUpdateCount == 0)
        return;
    if (--FUpdateCount > 0)
        return;
    RecomputeLayout();
    viewport()->update();
}

void TJvCustomItemViewer::SetCount(int count) {
    count = std::max(count, 0);
    if (count == Count())
        return;
    if (count <= FSelectedIndex)
        FSelectedIndex = -1;
    if (FHotIndex >= count)
        FHotIndex = -1;
    for (int i = Count() - 1; i >= count; --i) {
        if (TJvViewerItem* item = FItems.Existing(i); item && OnDeletion)
            OnDeletion(this, item);
        FItems.FSlots.pop_back();
    }
    FItems.FSlots.resize(size_t(count));
    RecomputeLayout();
    viewport()->update();
}

void TJvCustomItemViewer::DeleteItem(int index) {
    if (TJvViewerItem* item = FItems.Existing(index); item && OnDeletion)
        OnDeletion(this, item);
    FItems.FSlots.erase(FItems.FSlots.begin() + index);
    SlotRemoved(index);
    if (FSelectedIndex >= Count())
        FSelectedIndex = Count() - 1;
    if (FHotIndex >= Count())
        FHotIndex = -1;
    viewport()->update();
}

void TJvCustomItemViewer::SlotRemoved(int) {}

bool TJvCustomItemViewer::AllowItemChange(TJvViewerItem* item) {
    bool allow = true;
    if (OnItemChanging)
        OnItemChanging(this, item, allow);
    return allow;
}

void TJvCustomItemViewer::ItemChanged(TJvViewerItem* item) {
    if (FUpdateCount > 0)
        return;
    if (OnItemChanged)
        OnItemChanged(this, item);
    UpdateItem(item);
}

void TJvCustomItemViewer::UpdateItem(const TJvViewerItem* item) {
    // The cell being painted already shows the change.
    if (FUpdateCount > 0 || FPainting)
        return;
    const QRect cell = CellRect(FItems.IndexOf(item)) & viewport()->rect();
    if (!cell.isEmpty())
        viewport()->update(cell);
}

void TJvCustomItemViewer::OptionsChanged(bool recompute) {
    viewport()->setMouseTracking(FOptions->HotTrack());
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
        bar->setTracking(FOptions->Tracking());
    if (!recompute)
        return;
    RecomputeLayout();
    viewport()->update();
    if (!FOptions->MultiSelect())
        PostClearMarks(true);
    if (OnOptionsChanged)
        OnOptionsChanged(this);
}

void TJvCustomItemViewer::PostClearMarks(bool keepSelected) {
    QMetaObject::invokeMethod(
        this,
        [this, keepSelected] {
            Guarded([this, keepSelected] {
                BeginUpdate();
                for (int i = 0; i < Count(); ++i)
                    if (TJvViewerItem* item = FItems.Existing(i);
                        item && !(keepSelected && i == FSelectedIndex))
                        item->SetState(item->State().setFlag(cdsSelected, false));
                EndUpdate();
            });
        },
        Qt::QueuedConnection);
}

// ---- Layout ----

int TJvCustomItemViewer::TextHeight() const {
    const QRect box(0, 0, 100, 100);
    return fontMetrics()
               .boundingRect(box, Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("Wg"))
               .height() +
           4;
}

void TJvCustomItemViewer::RecomputeLayout() {
    const auto& options = *FOptions;
    FTextHeight = options.ShowCaptions() ? TextHeight() : 0;
    FCellWidth = qint64(options.Width()) + options.HorzSpacing();
    FCellHeight = qint64(options.Height()) + options.VertSpacing() + FTextHeight;
    if (Count() == 0) {
        // The grid stays as it was; an empty list shows no scroll bar.
        const QScopedValueRollback<bool> bySelf(FScrollingBySelf, true);
        horizontalScrollBar()->setRange(0, 0);
        verticalScrollBar()->setRange(0, 0);
        return;
    }
    if (FCellWidth < 1 || FCellHeight < 1)
        return;
    ComputeGrid(Count());
    ComputeScrollBars();
    ComputeOrigin();
    ComputeVisibleRange();
    ReduceMemory();
    if (options.HotTrack()) {
        const QPoint pointer = viewport()->mapFromGlobal(QCursor::pos());
        SetHotIndex(viewport()->rect().contains(pointer) ? CellIndexAt(pointer.x(), pointer.y())
                                                         : -1);
    }
}

void TJvCustomItemViewer::ComputeGrid(int count) {
    const bool vertical = FOptions->ScrollBar() == TJvItemViewerScrollBar::tvVertical;
    // Across the scrolling direction: how many cells fit. The outer size counts, so a cell that
    // shows about two thirds of itself is kept.
    const qint64 pitch = vertical ? FCellWidth : FCellHeight;
    const qint64 room = FOptions->AutoCenter()
                            ? (vertical ? viewport()->width() : viewport()->height())
                            : pitch / 3 + (vertical ? width() : height());
    const int across = int(std::clamp<qint64>(room / pitch, 1, count));
    const int along = (count + across - 1) / across;
    FColumns = vertical ? across : along;
    FRows = vertical ? along : across;
    // Setting a policy lays the frame out again, even when it does not change.
    const Qt::ScrollBarPolicy sideways = vertical ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded;
    const Qt::ScrollBarPolicy down = vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    if (horizontalScrollBarPolicy() != sideways)
        setHorizontalScrollBarPolicy(sideways);
    if (verticalScrollBarPolicy() != down)
        setVerticalScrollBarPolicy(down);
}

void TJvCustomItemViewer::ComputeScrollBars() {
    const QScopedValueRollback<bool> bySelf(FScrollingBySelf, true);
    const auto setRange = [](QScrollBar* bar, qint64 range, int page) {
        bar->setRange(0, ClampToInt(std::max<qint64>(range - page, 0)));
        bar->setPageStep(std::max(page, 1));
    };
    setRange(horizontalScrollBar(), FColumns * FCellWidth, viewport()->width());
    setRange(verticalScrollBar(), FRows * FCellHeight, viewport()->height());
}

void TJvCustomItemViewer::ComputeOrigin() {
    const auto& options = *FOptions;
    const qint64 marginX = options.HorzSpacing() / 2;
    const qint64 marginY = options.VertSpacing() / 2;
    qint64 x = marginX;
    qint64 y = marginY;
    if (options.AutoCenter()) {
        x = (viewport()->width() - FColumns * FCellWidth) / 2;
        y = (viewport()->height() - FRows * FCellHeight) / 2;
    }
    x = std::max(x, marginX);
    y = std::max(y, marginY);
    if (options.ScrollBar() == TJvItemViewerScrollBar::tvHorizontal)
        x -= horizontalScrollBar()->value();
    else
        y -= verticalScrollBar()->value();
    FOriginX = x;
    FOriginY = y;
}

void TJvCustomItemViewer::ComputeVisibleRange() {
    const int width = viewport()->width();
    const int height = viewport()->height();
    qint64 first = CellIndexAt64(0, 0, true);
    qint64 last = CellIndexAt64(width, height, true);
    if (last == -1)
        last = CellIndexAt64(width, height, false) - 1;
    FFirstVisible = int(std::clamp<qint64>(first, 0, Count() - 1));
    FLastVisible = int(std::clamp<qint64>(last, 0, Count() - 1));
}

void TJvCustomItemViewer::ReduceMemory() {
    if (!FOptions->ReduceMemoryUsage())
        return;
    for (int i = 0; i < Count(); ++i)
        if (TJvViewerItem* item = FItems.Existing(i);
            item && (i < FFirstVisible || i > FLastVisible))
            item->ReduceMemory();
}

qint64 TJvCustomItemViewer::CellIndexAt64(qint64 x, qint64 y, bool existingOnly) const {
    if (FCellWidth < 1 || FCellHeight < 1)
        return -1;
    // Division cuts toward zero, so the margin left of and above the grid hits its first cell.
    const qint64 column = (x - FOriginX) / FCellWidth;
    const qint64 row = (y - FOriginY) / FCellHeight;
    const bool inGrid = column >= 0 && column < FColumns && row >= 0 && row < FRows;
    if (!inGrid && existingOnly)
        return -1;
    const qint64 index = column + row * FColumns;
    return existingOnly && index >= Count() ? -1 : index;
}

int TJvCustomItemViewer::CellIndexAt(int x, int y, bool existingOnly) const {
    return ClampToInt(CellIndexAt64(x, y, existingOnly));
}

QRect TJvCustomItemViewer::CellRect(int index) const {
    if (index < 0 || index >= Count() || FColumns < 1)
        return {};
    const qint64 left = FCellWidth * (index % FColumns) + FOriginX;
    const qint64 top = FCellHeight * (index / FColumns) + FOriginY;
    return Ltrb(left, top, left + FCellWidth, top + FCellHeight);
}

QRect TJvCustomItemViewer::ItemRect(int index) const {
    const QRect cell = CellRect(index);
    if (cell.isNull())
        return {};
    const auto& options = *FOptions;
    QRect item = cell.adjusted(options.HorzSpacing(), options.VertSpacing(), -options.HorzSpacing(),
                               -options.VertSpacing());
    if (!options.ShowCaptions())
        return item;
    if (options.Layout() == TTextLayout::tlBottom)
        item.setBottom(item.bottom() - FTextHeight);
    else if (options.Layout() == TTextLayout::tlTop)
        item.setTop(item.top() + FTextHeight);
    return item;
}

QRect TJvCustomItemViewer::TextRect(int index) const {
    const QRect cell = CellRect(index);
    const auto& options = *FOptions;
    if (cell.isNull() || !options.ShowCaptions())
        return {};
    const QRect item = cell.adjusted(options.HorzSpacing(), options.VertSpacing(),
                                     -options.HorzSpacing(), -options.VertSpacing());
    const int th = FTextHeight;
    int top = item.top();
    if (options.Layout() == TTextLayout::tlBottom)
        top = item.top() + item.height() - th;
    else if (options.Layout() == TTextLayout::tlCenter)
        top = item.top() + (item.height() - th) / 2 + 1;
    return QRect(item.left(), top, item.width(), th);
}

// ---- Painting ----

void TJvCustomItemViewer::DrawItem(QPainter& canvas, int index, TCustomDrawState state,
                                   const QRect& itemRect, const QRect& textRect) {
    if (OnDrawItem)
        OnDrawItem(this, index, state, canvas, itemRect, textRect);
}

void TJvCustomItemViewer::paintEvent(QPaintEvent*) {
    Guarded([this] {
        const QSize client = viewport()->size();
        if (FUpdateCount > 0 || Count() == 0 || client.width() < 1 || client.height() < 1 ||
            FCellWidth < 1 || FCellHeight < 1)
            return;
        QPainter canvas(viewport());
        const QScopedValueRollback<bool> painting(FPainting, true);
        PaintCells(canvas);
    });
}

void TJvCustomItemViewer::PaintCells(QPainter& canvas) {
    const auto& options = *FOptions;
    const qint64 width = viewport()->width();
    const qint64 height = viewport()->height();
    const qint64 spaceX = options.HorzSpacing();
    const qint64 spaceY = options.VertSpacing();
    const qint64 th = FTextHeight;
    // The pitch cell's corner moves along the grid; the rectangles are made only where drawn.
    qint64 x = FOriginX;
    qint64 y = FOriginY;
    for (int i = 0; i < Count(); ++i) {
        const TJvViewerItem* existing = FItems.Existing(i);
        if (existing && existing->Deleting())
            continue;
        const qint64 cellTop = y + spaceY;
        const qint64 cellBottom = y + FCellHeight - spaceY;
        const qint64 left = x + spaceX;
        const qint64 right = x + FCellWidth - spaceX;
        qint64 top = cellTop;
        qint64 bottom = cellBottom;
        if (options.ShowCaptions() && options.Layout() == TTextLayout::tlBottom)
            bottom -= th;
        else if (options.ShowCaptions() && options.Layout() == TTextLayout::tlTop)
            top += th;
        // The caption belongs to the cell: a cell whose caption alone still shows is drawn.
        const bool inView = left < right && top < bottom && left < width && right > 0 &&
                            cellTop < height && cellBottom > 0;
        if (!options.LazyRead() || inView) {
            TJvViewerItem* item = Items(i);
            DrawItem(canvas, i, item->State(), Ltrb(left, top, right, bottom), TextRect(i));
        }
        if ((i + 1) % FColumns != 0) {
            x += FCellWidth;
        } else {
            x = FOriginX;
            y += FCellHeight;
        }
    }
}

void TJvCustomItemViewer::resizeEvent(QResizeEvent*) {
    Guarded([this] {
        RecomputeLayout();
        viewport()->update();
    });
}

void TJvCustomItemViewer::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    Guarded([this, event] {
        // The caption line follows the font.
        if (event->type() == QEvent::FontChange) {
            RecomputeLayout();
            viewport()->update();
        }
    });
}

void TJvCustomItemViewer::scrollContentsBy(int, int) {
    Guarded([this] {
        if (FScrollingBySelf)
            return;
        RecomputeLayout();
        viewport()->update();
        if (OnScroll)
            OnScroll(this);
    });
}

void TJvCustomItemViewer::ScrollTo(int horizontal, int vertical) {
    const QScopedValueRollback<bool> bySelf(FScrollingBySelf, true);
    horizontalScrollBar()->setValue(horizontal);
    verticalScrollBar()->setValue(vertical);
}

void TJvCustomItemViewer::MakeCellVisible(int index) {
    const QRect cell = CellRect(index);
    const QSize client = viewport()->size();
    int horizontal = horizontalScrollBar()->value();
    int vertical = verticalScrollBar()->value();
    if (cell.left() < 0)
        horizontal += cell.left();
    else if (cell.left() + cell.width() > client.width())
        horizontal += cell.width() > client.width() ? cell.left()
                                                    : cell.left() + cell.width() - client.width();
    if (cell.top() < 0)
        vertical += cell.top();
    else if (cell.top() + cell.height() > client.height())
        vertical += cell.height() > client.height() ? cell.top()
                                                    : cell.top() + cell.height() - client.height();
    ScrollTo(horizontal, vertical);
    RecomputeLayout();
    viewport()->update();
}

// ---- Mouse and keyboard ----

void TJvCustomItemViewer::mousePressEvent(QMouseEvent* event) {
    Guarded([this, event] {
        const QPoint at = event->position().toPoint();
        if (event->button() == Qt::LeftButton) {
            FPressedIndex = CellIndexAt(at.x(), at.y());
            if (focusPolicy() & Qt::ClickFocus)
                setFocus(Qt::MouseFocusReason);
        } else if (event->button() == Qt::RightButton && FOptions->RightClickSelect()) {
            if (const int index = CellIndexAt(at.x(), at.y()); index >= 0)
                ClickCell(index, event->modifiers());
        }
    });
}

void TJvCustomItemViewer::mouseReleaseEvent(QMouseEvent* event) {
    Guarded([this, event] {
        if (event->button() != Qt::LeftButton)
            return;
        const QPoint at = event->position().toPoint();
        const int index = CellIndexAt(at.x(), at.y());
        if (index >= 0 && index == FPressedIndex)
            ClickCell(index, event->modifiers());
        else if (index == -1)
            PostClearMarks(false);
        FPressedIndex = -1;
    });
}

void TJvCustomItemViewer::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of the pair: remembered like any press, then the double-click notice.
    mousePressEvent(event);
    Guarded([this, event] {
        if (event->button() == Qt::LeftButton && OnDblClick)
            OnDblClick(this);
    });
}

void TJvCustomItemViewer::mouseMoveEvent(QMouseEvent* event) {
    Guarded([this, event] {
        if (!FOptions->HotTrack())
            return;
        const QPoint at = event->position().toPoint();
        SetHotIndex(CellIndexAt(at.x(), at.y()));
    });
}

void TJvCustomItemViewer::leaveEvent(QEvent*) {
    Guarded([this] { SetHotIndex(-1); });
}

void TJvCustomItemViewer::SetHotIndex(int index) {
    if (index == FHotIndex)
        return;
    if (TJvViewerItem* old = FItems.Existing(FHotIndex)) {
        old->SetState(old->State().setFlag(cdsHot, false));
        UpdateItem(old);
    }
    FHotIndex = index;
    if (index >= 0 && index < Count()) {
        TJvViewerItem* item = Items(index);
        item->SetState(item->State().setFlag(cdsHot, true));
        UpdateItem(item);
    }
}

void TJvCustomItemViewer::ClickCell(int index, Qt::KeyboardModifiers modifiers) {
    if (!FOptions->MultiSelect()) {
        SetSelectedIndex(index);
        return;
    }
    if (modifiers & Qt::ControlModifier) {
        TJvViewerItem* item = Items(index);
        SetMark(index, !item->State().testFlag(cdsSelected));
        FSelectedIndex = index;
    } else if (modifiers & Qt::ShiftModifier && FSelectedIndex >= 0 && FSelectedIndex < Count()) {
        const int columns = std::max(FColumns, 1);
        const auto [left, right] = std::minmax({FSelectedIndex % columns, index % columns});
        const auto [top, bottom] = std::minmax({FSelectedIndex / columns, index / columns});
        for (int row = top; row <= bottom; ++row)
            for (int column = left; column <= right; ++column)
                SetMark(row * columns + column, true);
    } else {
        for (int i = 0; i < Count(); ++i)
            if (i != index)
                SetMark(i, false);
        SetSelectedIndex(index);
    }
}

void TJvCustomItemViewer::wheelEvent(QWheelEvent* event) {
    Guarded([this, event] {
        const QPoint delta = event->angleDelta();
        int distance = -(delta.y() != 0 ? delta.y() : delta.x());
        const auto modifiers =
            event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        if (modifiers == Qt::ShiftModifier)
            distance *= 3;
        if (FOptions->ScrollBar() == TJvItemViewerScrollBar::tvHorizontal)
            ScrollTo(horizontalScrollBar()->value() + distance, verticalScrollBar()->value());
        else
            ScrollTo(horizontalScrollBar()->value(), verticalScrollBar()->value() + distance);
        ComputeOrigin();
        viewport()->update();
        event->accept();
    });
}

void TJvCustomItemViewer::keyPressEvent(QKeyEvent* event) {
    Guarded([this, event] {
        const bool plain =
            !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
        int index = INT_MIN;
        switch (plain ? event->key() : Qt::Key_unknown) {
        case Qt::Key_Left:
            index = FSelectedIndex - 1;
            break;
        case Qt::Key_Right:
            index = FSelectedIndex + 1;
            break;
        case Qt::Key_Up:
            index = FSelectedIndex - FColumns;
            break;
        case Qt::Key_Down:
            index = FSelectedIndex + FColumns;
            break;
        case Qt::Key_Space:
            if (OnClick)
                OnClick(this);
            return;
        default:
            // Paging and Home / End move nothing; other keys go on to the parent.
            QWidget::keyPressEvent(event);
            return;
        }
        if (index >= 0 && index < Count())
            MoveSelection(index);
    });
}

void TJvCustomItemViewer::MoveSelection(int index) {
    if (FOptions->MultiSelect())
        PostClearMarks(true);
    SetSelectedIndex(index);
    MakeCellVisible(index);
}
